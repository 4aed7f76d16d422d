#include "ui/page_composer.h"

#include <cstdio>

namespace {
// The page template: nine lines joined by "\n", none after the last.
#define TORVI_PAGE_TEMPLATE(charset)                                                               \
    "<html>\n"                                                                                     \
    "<head>\n"                                                                                     \
    "<title>Untitled Document</title>\n"                                                           \
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" charset "\">\n"              \
    "</head>\n"                                                                                    \
    "<body>\n"                                                                                     \
    "<div id=\"Layer1\" style=\"position:absolute; width:%dpx; height:235px; z-index:1; "          \
    "left: 1px;\">%s</div>\n"                                                                      \
    "</body>\n"                                                                                    \
    "</html>"

constexpr const char kLatinPageTemplate[] = TORVI_PAGE_TEMPLATE("iso-8859-1");
constexpr const char kUtf8PageTemplate[] = TORVI_PAGE_TEMPLATE("utf-8");
#undef TORVI_PAGE_TEMPLATE

static_assert(sizeof kLatinPageTemplate - 1 == 251, "the page template is 251 characters");
} // namespace

CTextBuffer ComposePage(const char* text, int width, bool utf8) {
    CTextBuffer page(text ? text : "");
    if (page.FindNoCase("<html>", 0) >= 0)
        return page;

    // ReplaceAll searches on after each inserted "<br>\n", so its own line end
    // is not replaced again.
    CTextBuffer body(page);
    body.ReplaceAll("\n", "<br>\n");
    if (utf8)
        page.Format(kUtf8PageTemplate, width, body.GetText());
    else
        page.Format(kLatinPageTemplate, width, body.GetText());
    return page;
}

bool WritePageFile(const char* text, const std::string& path, int width, bool utf8) {
    const CTextBuffer page = ComposePage(text, width, utf8);
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        return false;
    const auto length = static_cast<size_t>(page.GetLength());
    const bool written = std::fwrite(page.GetText(), 1, length, file) == length;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
}
