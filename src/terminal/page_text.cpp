#include "terminal/page_text.h"

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "convert/html_references.h"
#include "terminal/printable_text.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "ui/page_composer.h"

namespace {

// Control characters never reach the terminal; tab, line ends and form feed
// are whitespace to the parser.
bool IsDroppedCodePoint(char32_t cp) {
    if (cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f')
        return false;
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// The markup as the parser gets it. Every character reference this program
// knows (all of HTML's names, which the parser's older table lacks, and the
// numbers, read as a browser reads them) is written as a plain decimal
// reference; any other "&" becomes "&amp;", so it shows as written. Control
// characters are dropped here already, written or referenced, and a text
// holding nothing but blanks and inline markup is put in a body of its own, so
// the parser does not wrap it in a paragraph that was never written.
std::string PrepareMarkup(std::string_view html) {
    std::string out = "<body>";
    out.reserve(html.size() + html.size() / 8 + 16);
    size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&') {
            char32_t cp[2] = {0, 0};
            size_t length = 0;
            if (!DecodeHtmlReference(html, i, cp, length)) {
                out += "&amp;";
                ++i;
                continue;
            }
            for (const char32_t one : cp) {
                if (one != 0 && !IsDroppedCodePoint(one)) {
                    out += "&#";
                    out += std::to_string(static_cast<uint32_t>(one));
                    out += ';';
                }
            }
            i += length;
        } else if (c == '\f') {
            out += ' ';
            ++i;
        } else if (IsOtherControl(byte)) {
            ++i;
        } else if (IsC1ControlAt(html, i)) {
            i += 2;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// Builds the readable text piece by piece, minding blanks and line ends.
class CTextWriter {
public:
    explicit CTextWriter(bool collapseBlanks) : m_bCollapse(collapseBlanks) {}

    bool AtLineStart() const { return m_strOut.empty() || m_strOut.back() == '\n'; }

    void Visible(std::string_view piece) {
        if (m_bPendingBlank && !AtLineStart())
            m_strOut += ' ';
        m_bPendingBlank = false;
        m_strOut += piece;
    }

    void LineEnd() {
        m_bPendingBlank = false;
        m_strOut += '\n';
    }

    // Whitespace of the source: a blank to the browser, kept as written in a
    // plain text and inside <pre>.
    void SourceWhitespace(char c) {
        if (m_bCollapse && m_nPreDepth == 0) {
            m_bPendingBlank = true;
        } else if (c == '\n') {
            LineEnd();
        } else if (c != '\r') {
            Visible(std::string_view(&c, 1));
        }
    }

    void BlockBreak() {
        m_bPendingBlank = false;
        if (!AtLineStart())
            m_strOut += '\n';
    }

    void ParagraphBreak() {
        BlockBreak();
        if (!m_strOut.empty() && !(m_strOut.size() >= 2 && m_strOut[m_strOut.size() - 2] == '\n'))
            m_strOut += '\n';
    }

    void CellBreak() {
        m_bPendingBlank = false;
        if (!AtLineStart())
            m_strOut += "  ";
    }

    void EnterPre() { ++m_nPreDepth; }
    void LeavePre() {
        if (m_nPreDepth > 0)
            --m_nPreDepth;
    }

    // Trailing blanks cut from every line, blank lines at either end dropped,
    // and in a document at most one blank line in a row.
    std::string Finish() const {
        std::string out;
        size_t lineStart = 0;
        int emptyRun = 0;
        while (lineStart <= m_strOut.size()) {
            size_t lineEnd = m_strOut.find('\n', lineStart);
            if (lineEnd == std::string::npos)
                lineEnd = m_strOut.size();
            std::string_view line(m_strOut.data() + lineStart, lineEnd - lineStart);
            while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
                line.remove_suffix(1);
            if (line.empty()) {
                ++emptyRun;
            } else {
                if (!out.empty()) {
                    const int breaks = m_bCollapse && emptyRun > 1 ? 2 : emptyRun + 1;
                    out.append(static_cast<size_t>(breaks), '\n');
                }
                out += line;
                emptyRun = 0;
            }
            lineStart = lineEnd + 1;
        }
        return out;
    }

private:
    std::string m_strOut;
    bool m_bCollapse;
    bool m_bPendingBlank = false;
    int m_nPreDepth = 0;
};

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsHeading(std::string_view name) {
    return name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6';
}

bool IsList(std::string_view name) {
    return IsOneOf(name, {"ul", "ol", "menu", "dir"});
}

bool IsBlock(std::string_view name) {
    return IsOneOf(name, {"div",     "tr",      "table",      "blockquote", "hr",      "dl",
                          "dt",      "dd",      "center",     "address",    "form",    "fieldset",
                          "section", "article", "header",     "footer",     "nav",     "main",
                          "aside",   "figure",  "figcaption", "caption",    "thead",   "tbody",
                          "tfoot",   "body",    "html",       "legend",     "details", "summary"});
}

// Elements whose content a page does not show.
bool IsHidden(std::string_view name) {
    return IsOneOf(name, {"head", "title", "script", "style", "template"});
}

// Walks the parsed page and writes what it shows.
class CPageReader {
public:
    CPageReader(bool collapseBlanks, const CTerminalStyle& style)
        : m_writer(collapseBlanks), m_style(style) {}

    void Read(const xmlNode* first) {
        // Without recursion: a page nests as deep as its author likes.
        const xmlNode* node = first;
        while (node != nullptr) {
            if (Open(node) && node->children != nullptr) {
                node = node->children;
                continue;
            }
            Close(node);
            while (node != nullptr && node->next == nullptr) {
                node = node->parent;
                if (node == nullptr || node->type != XML_ELEMENT_NODE)
                    return;
                Close(node);
            }
            if (node != nullptr)
                node = node->next;
        }
    }

    // Text from the page: whitespace to the writer's rules, the rest word by
    // word, so that a bold word carries its own style and reset.
    void Text(std::string_view text) {
        std::string word;
        const auto flush = [&] {
            if (!word.empty())
                m_writer.Visible(m_nBold > 0 ? m_style.Bold(word) : word);
            word.clear();
        };
        for (size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
                flush();
                m_writer.SourceWhitespace(c == '\f' ? ' ' : c);
            } else if (c == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') {
                // A non-breaking space neither collapses nor breaks a line.
                flush();
                m_writer.Visible(" ");
                ++i;
            } else if (IsOtherControl(static_cast<unsigned char>(c))) {
                continue;
            } else if (IsC1ControlAt(text, i)) {
                ++i;
            } else {
                word += c;
            }
        }
        flush();
    }

    std::string Finish() const { return m_writer.Finish(); }

private:
    static std::string_view NameOf(const xmlNode* node) {
        return node->name ? reinterpret_cast<const char*>(node->name) : "";
    }

    // Starts a node; true when its children are to be read.
    bool Open(const xmlNode* node) {
        if (node->type == XML_TEXT_NODE) {
            if (node->content != nullptr)
                Text(reinterpret_cast<const char*>(node->content));
            return false;
        }
        if (node->type != XML_ELEMENT_NODE)
            return false;
        const std::string_view name = NameOf(node);
        if (IsHidden(name))
            return false;
        if (name == "br") {
            m_writer.LineEnd();
        } else if (name == "p" || IsHeading(name)) {
            m_writer.ParagraphBreak();
            if (name != "p")
                ++m_nBold;
        } else if (name == "b" || name == "strong") {
            ++m_nBold;
        } else if (IsList(name)) {
            m_writer.BlockBreak();
            m_lists.push_back(name == "ol" ? 1 : 0);
        } else if (name == "li") {
            m_writer.BlockBreak();
            m_writer.Visible(ItemMark());
        } else if (name == "pre") {
            m_writer.BlockBreak();
            m_writer.EnterPre();
        } else if (name == "td" || name == "th") {
            m_writer.CellBreak();
        } else if (name == "img") {
            const std::string alt = AltText(node);
            m_writer.Visible(alt.empty() ? "[image]" : "[image: " + alt + "]");
        } else if (IsBlock(name)) {
            m_writer.BlockBreak();
        }
        return true;
    }

    void Close(const xmlNode* node) {
        if (node->type != XML_ELEMENT_NODE)
            return;
        const std::string_view name = NameOf(node);
        if (IsHidden(name))
            return;
        if (name == "p" || IsHeading(name)) {
            m_writer.ParagraphBreak();
            if (name != "p" && m_nBold > 0)
                --m_nBold;
        } else if (name == "b" || name == "strong") {
            if (m_nBold > 0)
                --m_nBold;
        } else if (IsList(name)) {
            m_writer.BlockBreak();
            if (!m_lists.empty())
                m_lists.pop_back();
        } else if (name == "li") {
            m_writer.BlockBreak();
        } else if (name == "pre") {
            m_writer.BlockBreak();
            m_writer.LeavePre();
        } else if (IsBlock(name)) {
            m_writer.BlockBreak();
        }
    }

    // "- " or the item's number, two blanks further in for each list around
    // its own.
    std::string ItemMark() {
        std::string mark;
        if (m_lists.size() > 1)
            mark.assign(2 * std::min<size_t>(m_lists.size() - 1, 16), ' ');
        if (!m_lists.empty() && m_lists.back() > 0)
            mark += std::to_string(m_lists.back()++) + ". ";
        else
            mark += "- ";
        return mark;
    }

    static std::string AltText(const xmlNode* node) {
        xmlChar* alt = xmlGetProp(node, reinterpret_cast<const xmlChar*>("alt"));
        if (alt == nullptr)
            return {};
        CPageReader reader(true, CTerminalStyle(false));
        reader.Text(reinterpret_cast<const char*>(alt));
        xmlFree(alt);
        return reader.Finish();
    }

    CTextWriter m_writer;
    const CTerminalStyle& m_style;
    int m_nBold = 0;
    std::vector<int> m_lists; // 0 for a list of bullets, else the next number
};

void IgnoreParserMessage(void*, const char*, ...) {}

struct CDocumentFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

std::string MarkupToText(std::string_view html, bool collapseBlanks, const CTerminalStyle& style) {
    std::string markup = PrepareMarkup(html);
    if (markup.size() > INT_MAX)
        CutUtf8(markup, INT_MAX);
    // A broken page is mended, never reported: the parser stays silent, reads
    // nothing from the network and ignores the page's own charset (the bytes
    // are UTF-8 by now).
    xmlSetGenericErrorFunc(nullptr, IgnoreParserMessage);
    xmlSetStructuredErrorFunc(nullptr, [](void*, auto) {});
    const std::unique_ptr<xmlDoc, CDocumentFree> doc(
        htmlReadMemory(markup.data(), static_cast<int>(markup.size()), nullptr, "UTF-8",
                       HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                           HTML_PARSE_NONET | HTML_PARSE_IGNORE_ENC));
    if (!doc)
        return {};
    CPageReader reader(collapseBlanks, style);
    reader.Read(doc->children);
    return reader.Finish();
}

} // namespace

std::string HtmlToText(std::string_view html, const CTerminalStyle& style) {
    return MarkupToText(html, true, style);
}

std::string HtmlToText(std::string_view html) {
    return HtmlToText(html, CTerminalStyle(false));
}

std::string PlainPageTextToText(std::string_view text, const CTerminalStyle& style) {
    return MarkupToText(text, false, style);
}

std::string PageFileToText(std::string_view bytes, bool quizIsUtf8, const CTerminalStyle& style) {
    const std::string page = quizIsUtf8 ? ToUtf8(bytes) : Cp1252ToUtf8(bytes);
    std::string text;
    if (ReadComposedText(page, text))
        return PlainPageTextToText(text, style);
    return HtmlToText(page, style);
}

std::string PageFileToText(std::string_view bytes, bool quizIsUtf8) {
    return PageFileToText(bytes, quizIsUtf8, CTerminalStyle(false));
}
