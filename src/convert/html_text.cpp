#include "convert/html_text.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include "convert/html_references.h"
#include "text/encoding.h"

bool HasMarkup(std::string_view field) {
    for (size_t at = field.find('<'); at != std::string_view::npos; at = field.find('<', at + 1)) {
        const char next = at + 1 < field.size() ? field[at + 1] : '\0';
        if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '/' ||
            next == '!')
            return true;
    }
    return false;
}

namespace {
bool IsBreak(const xmlNode* n) {
    static constexpr const char* kBreaks[] = {"br", "p",  "div", "li", "tr", "td", "th", "h1",
                                              "h2", "h3", "h4",  "h5", "h6", "hr", "ul", "ol"};
    for (const char* name : kBreaks)
        if (std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0)
            return true;
    return false;
}

void Collect(const xmlNode* node, std::string& out) {
    for (const xmlNode* n = node; n; n = n->next) {
        if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
            if (n->content)
                out += reinterpret_cast<const char*>(n->content);
        } else if (n->type == XML_ELEMENT_NODE) {
            const char* name = reinterpret_cast<const char*>(n->name);
            if (std::strcmp(name, "script") == 0 || std::strcmp(name, "style") == 0)
                continue;
            if (IsBreak(n))
                out += ' ';
            Collect(n->children, out);
            if (IsBreak(n))
                out += ' ';
        }
    }
}

std::string CollapseBlanks(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        // U+00A0, a no-break space, is C2 A0 in UTF-8 and stays a character.
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            blank = !out.empty();
            continue;
        }
        if (blank)
            out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

struct CHtmlDocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// The field as the parser gets it: every character reference this program
// knows (all of HTML's names, which the parser's older table lacks, and the
// numbers as a browser reads them) written as a plain decimal reference, any
// other "&" as "&amp;", so that it shows as written.
std::string NumberedReferences(std::string_view field) {
    std::string out;
    out.reserve(field.size() + field.size() / 8);
    for (size_t i = 0; i < field.size();) {
        char32_t cp[2] = {0, 0};
        size_t length = 0;
        if (field[i] != '&') {
            out += field[i++];
        } else if (!DecodeHtmlReference(field, i, cp, length)) {
            out += "&amp;";
            ++i;
        } else {
            for (const char32_t one : cp)
                if (one != 0)
                    out += "&#" + std::to_string(static_cast<uint32_t>(one)) + ';';
            i += length;
        }
    }
    return out;
}
} // namespace

std::string HtmlToPlainText(std::string_view field) {
    if (!HasMarkup(field))
        return CollapseBlanks(DecodeCharacterReferences(field));
    // The parser decodes the numbers itself, so "&lt;b&gt;" stays text and
    // never turns into markup.
    const std::string prepared = NumberedReferences(field);
    if (prepared.size() > static_cast<size_t>(INT32_MAX))
        return CollapseBlanks(DecodeCharacterReferences(field));
    std::unique_ptr<xmlDoc, CHtmlDocFree> doc(
        htmlReadMemory(prepared.data(), static_cast<int>(prepared.size()), nullptr, "UTF-8",
                       HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING));
    if (!doc)
        return CollapseBlanks(DecodeCharacterReferences(field));
    std::string out;
    Collect(doc->children, out);
    return CollapseBlanks(out);
}

std::string DecodeCharacterReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp[2] = {0, 0};
        size_t length = 0;
        if (text[i] != '&' || !DecodeHtmlReference(text, i, cp, length)) {
            out += text[i++];
            continue;
        }
        for (const char32_t one : cp)
            if (one != 0)
                AppendUtf8(out, one);
        i += length;
    }
    return out;
}
