#include "convert/html_text.h"

#include <cstring>
#include <memory>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include "text/ascii.h"
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
} // namespace

std::string HtmlToPlainText(std::string_view field) {
    if (!HasMarkup(field) || field.size() > static_cast<size_t>(INT32_MAX))
        return CollapseBlanks(DecodeCharacterReferences(field));
    // The parser decodes the character references itself, so "&lt;b&gt;" stays
    // text and never turns into markup.
    const std::string_view prepared = field;
    std::unique_ptr<xmlDoc, CHtmlDocFree> doc(
        htmlReadMemory(prepared.data(), static_cast<int>(prepared.size()), nullptr, "UTF-8",
                       HTML_PARSE_NONET | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING));
    if (!doc)
        return CollapseBlanks(DecodeCharacterReferences(prepared));
    std::string out;
    Collect(doc->children, out);
    return CollapseBlanks(out);
}

namespace {
char32_t NamedReference(std::string_view name) {
    const htmlEntityDesc* entity =
        htmlEntityLookup(reinterpret_cast<const xmlChar*>(std::string(name).c_str()));
    return entity ? static_cast<char32_t>(entity->value) : 0;
}
} // namespace

std::string DecodeCharacterReferences(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const size_t end = text.find(';', i + 1);
        if (end == std::string_view::npos || end - i > 40) {
            out += '&';
            continue;
        }
        const std::string_view body = text.substr(i + 1, end - i - 1);
        char32_t cp = 0;
        if (body.size() > 1 && body[0] == '#') {
            const bool hex = body[1] == 'x' || body[1] == 'X';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            bool ok = !digits.empty();
            for (const char c : digits) {
                const char l = FoldAscii(c);
                int v = -1;
                if (l >= '0' && l <= '9')
                    v = l - '0';
                else if (hex && l >= 'a' && l <= 'f')
                    v = l - 'a' + 10;
                if (v < 0) {
                    ok = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + static_cast<char32_t>(v);
                if (cp > 0x10FFFF)
                    cp = 0x110000;
            }
            if (!ok)
                cp = 0;
            else if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                cp = 0xFFFD;
        } else {
            cp = NamedReference(body);
        }
        if (cp == 0) {
            out += '&';
            continue;
        }
        AppendUtf8(out, cp);
        i = end;
    }
    return out;
}
