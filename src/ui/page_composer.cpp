#include "ui/page_composer.h"

#include "file/file_write.h"

namespace {
// The page template: nine lines joined by "\n", none after the last.
#define TORVI_PAGE_TEMPLATE(title, charset)                                                        \
    "<html>\n"                                                                                     \
    "<head>\n"                                                                                     \
    "<title>" title "</title>\n"                                                                   \
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" charset "\">\n"              \
    "</head>\n"                                                                                    \
    "<body>\n"                                                                                     \
    "<div id=\"Layer1\" style=\"position:absolute; width:%dpx; height:235px; z-index:1; "          \
    "left: 1px;\">%s</div>\n"                                                                      \
    "</body>\n"                                                                                    \
    "</html>"

// Indexed by the page kind, then by whether the quiz is UTF-8.
constexpr const char* const kPageTemplates[2][2] = {
    {TORVI_PAGE_TEMPLATE("Question", "iso-8859-1"), TORVI_PAGE_TEMPLATE("Question", "utf-8")},
    {TORVI_PAGE_TEMPLATE("Explanation", "iso-8859-1"),
     TORVI_PAGE_TEMPLATE("Explanation", "utf-8")}};
#undef TORVI_PAGE_TEMPLATE

// The template's fixed parts: before the width, between the width and the
// text, and after the text.
struct CTemplateParts {
    std::string_view head;
    std::string_view middle;
    std::string_view tail;
};

CTemplateParts SplitTemplate(std::string_view page) {
    const size_t width = page.find("%d");
    const size_t text = page.find("%s");
    return {page.substr(0, width), page.substr(width + 2, text - width - 2), page.substr(text + 2)};
}

bool ReadTemplateText(std::string_view page, const CTemplateParts& parts, std::string& text) {
    if (!page.starts_with(parts.head))
        return false;
    const size_t widthEnd = page.find(parts.middle, parts.head.size());
    if (widthEnd == std::string_view::npos || widthEnd == parts.head.size())
        return false;
    for (size_t i = parts.head.size(); i < widthEnd; ++i) {
        if ((page[i] < '0' || page[i] > '9') && page[i] != '-')
            return false;
    }
    const size_t textStart = widthEnd + parts.middle.size();
    if (page.size() < textStart + parts.tail.size() || !page.ends_with(parts.tail))
        return false;
    const std::string_view layer =
        page.substr(textStart, page.size() - parts.tail.size() - textStart);
    // The composer turned each line end into "<br>\n"; turn it back.
    text.clear();
    text.reserve(layer.size());
    size_t i = 0;
    while (i < layer.size()) {
        if (layer.compare(i, 5, "<br>\n") == 0) {
            text += '\n';
            i += 5;
        } else {
            text += layer[i++];
        }
    }
    return true;
}
} // namespace

CTextBuffer ComposePage(const char* text, int width, bool utf8, EPageKind kind) {
    CTextBuffer page(text ? text : "");
    if (page.FindNoCase("<html>", 0) >= 0)
        return page;

    // ReplaceAll searches on after each inserted "<br>\n", so its own line end
    // is not replaced again.
    CTextBuffer body(page);
    body.ReplaceAll("\n", "<br>\n");
    page.Format(kPageTemplates[kind == EPageKind::Explanation ? 1 : 0][utf8 ? 1 : 0], width,
                body.GetText());
    return page;
}

bool ReadComposedText(std::string_view page, std::string& text) {
    for (const auto& kindTemplates : kPageTemplates) {
        for (const char* pageTemplate : kindTemplates) {
            if (ReadTemplateText(page, SplitTemplate(pageTemplate), text))
                return true;
        }
    }
    return false;
}

bool WritePageFile(const char* text, const std::string& path, int width, bool utf8,
                   EPageKind kind) {
    const CTextBuffer page = ComposePage(text, width, utf8, kind);
    // A private file replacing whatever held the name: a link or a file
    // someone planted there is replaced, never followed or written through,
    // and a reader never sees half a page.
    std::string error;
    return WritePrivateFile(path, std::string_view(page.GetText(), page.GetLength()), error);
}
