#include "web/page_frame.h"

#include "text/ascii.h"

std::string FramePage(std::string_view page) {
    size_t at = 0;
    // A byte-order mark and blanks may come before the doctype.
    if (page.starts_with("\xEF\xBB\xBF"))
        at = 3;
    while (at < page.size() && (page[at] == ' ' || page[at] == '\t' || page[at] == '\r' ||
                                page[at] == '\n' || page[at] == '\f'))
        ++at;
    size_t insert = 0;
    if (StartsWithNoCase(page.substr(at), "<!doctype")) {
        const size_t close = page.find('>', at);
        insert = close == std::string_view::npos ? page.size() : close + 1;
    }
    std::string framed;
    framed.reserve(page.size() + 256);
    framed.append(page.substr(0, insert));
    framed += "<meta http-equiv=\"Content-Security-Policy\" content=\"";
    framed += kFramePolicy;
    framed += "\"><base target=\"_blank\">";
    framed.append(page.substr(insert));
    return framed;
}
