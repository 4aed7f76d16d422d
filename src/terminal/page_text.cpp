#include "terminal/page_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "terminal/printable_text.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "ui/page_composer.h"

namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// StartsWithNoCase at an offset into the text; an offset past its end holds nothing.
bool StartsWithNoCaseAt(std::string_view text, size_t at, std::string_view prefix) {
    return at <= text.size() && StartsWithNoCase(text.substr(at), prefix);
}

size_t FindNoCase(std::string_view text, size_t from, std::string_view what) {
    for (size_t i = from; i + what.size() <= text.size(); ++i) {
        if (StartsWithNoCaseAt(text, i, what))
            return i;
    }
    return std::string_view::npos;
}

// Named character references: the markup five, the Latin-1 letters and signs,
// and the Windows-1252 punctuation quiz authors reach for.
struct SNamedEntity {
    const char* name;
    char32_t cp;
};

constexpr std::array<const char*, 96> kLatin1Names = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

constexpr SNamedEntity kOtherEntities[] = {
    {"amp", U'&'},      {"lt", U'<'},       {"gt", U'>'},       {"quot", U'"'},
    {"apos", U'\''},    {"euro", 0x20AC},   {"ndash", 0x2013},  {"mdash", 0x2014},
    {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},  {"ldquo", 0x201C},
    {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"hellip", 0x2026}, {"bull", 0x2022},
    {"trade", 0x2122},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"OElig", 0x0152},  {"oelig", 0x0153},
    {"Scaron", 0x0160}, {"scaron", 0x0161}, {"Yuml", 0x0178},   {"fnof", 0x0192},
    {"circ", 0x02C6},   {"tilde", 0x02DC},  {"ensp", 0x2002},   {"emsp", 0x2003},
    {"thinsp", 0x2009}, {"larr", 0x2190},   {"uarr", 0x2191},   {"rarr", 0x2192},
    {"darr", 0x2193},   {"harr", 0x2194},   {"le", 0x2264},     {"ge", 0x2265},
    {"ne", 0x2260},     {"minus", 0x2212},  {"infin", 0x221E},  {"asymp", 0x2248},
    {"radic", 0x221A},  {"deg", 0x00B0},    {"alpha", 0x03B1},  {"beta", 0x03B2},
    {"gamma", 0x03B3},  {"delta", 0x03B4},  {"pi", 0x03C0},     {"sigma", 0x03C3},
    {"omega", 0x03C9},  {"mu", 0x03BC},     {"lambda", 0x03BB}, {"theta", 0x03B8}};

bool LookUpEntity(std::string_view name, char32_t& cp) {
    for (size_t i = 0; i < kLatin1Names.size(); ++i) {
        if (name == kLatin1Names[i]) {
            cp = static_cast<char32_t>(0xA0 + i);
            return true;
        }
    }
    for (const SNamedEntity& entity : kOtherEntities) {
        if (name == entity.name) {
            cp = entity.cp;
            return true;
        }
    }
    return false;
}

// Decodes the character reference at text[at] (which is '&'). On success cp is
// the character and length the number of bytes the reference takes.
bool DecodeEntity(std::string_view text, size_t at, char32_t& cp, size_t& length) {
    size_t i = at + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex)
            ++i;
        const size_t digitsStart = i;
        uint32_t value = 0;
        bool tooBig = false;
        while (i < text.size()) {
            const char c = text[i];
            uint32_t digit = 0;
            if (IsAsciiDigit(c))
                digit = static_cast<uint32_t>(c - '0');
            else if (hex && FoldAscii(c) >= 'a' && FoldAscii(c) <= 'f')
                digit = static_cast<uint32_t>(FoldAscii(c) - 'a' + 10);
            else
                break;
            value = value * (hex ? 16 : 10) + digit;
            if (value > 0x10FFFF) {
                tooBig = true;
                value = 0x110000;
            }
            ++i;
        }
        if (i == digitsStart)
            return false;
        if (i < text.size() && text[i] == ';')
            ++i;
        length = i - at;
        if (tooBig || value == 0 || (value >= 0xD800 && value <= 0xDFFF)) {
            cp = kReplacementCharacter;
        } else if (value >= 0x80 && value <= 0x9F) {
            // Browsers read these numbers as the Windows-1252 characters.
            const char byte = static_cast<char>(value);
            const std::string utf8 = ToUtf8(std::string_view(&byte, 1));
            const auto b0 = static_cast<unsigned char>(utf8[0]);
            if (utf8.size() == 2)
                cp = ((b0 & 0x1F) << 6) | (static_cast<unsigned char>(utf8[1]) & 0x3F);
            else
                cp = ((b0 & 0x0F) << 12) | ((static_cast<unsigned char>(utf8[1]) & 0x3F) << 6) |
                     (static_cast<unsigned char>(utf8[2]) & 0x3F);
        } else {
            cp = value;
        }
        return true;
    }
    const size_t nameStart = i;
    while (i < text.size() && i - nameStart < 32 &&
           (IsAsciiLetter(text[i]) || IsAsciiDigit(text[i])))
        ++i;
    if (i == nameStart || i >= text.size() || text[i] != ';')
        return false;
    if (!LookUpEntity(text.substr(nameStart, i - nameStart), cp))
        return false;
    length = i + 1 - at;
    return true;
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

    void Blank() {
        if (m_bCollapse && m_nPreDepth == 0)
            m_bPendingBlank = true;
        else
            Visible(" ");
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
    for (std::string_view candidate : names) {
        if (name == candidate)
            return true;
    }
    return false;
}

// The value of one attribute of a tag's text (between "<" and ">"), or empty.
std::string AttributeValue(std::string_view tag, std::string_view attribute) {
    size_t i = 0;
    while (i < tag.size() && tag[i] != ' ' && tag[i] != '\t' && tag[i] != '\n' && tag[i] != '\r')
        ++i;
    while (i < tag.size()) {
        while (i < tag.size() && !IsAsciiLetter(tag[i]))
            ++i;
        const size_t nameStart = i;
        while (i < tag.size() && (IsAsciiLetter(tag[i]) || IsAsciiDigit(tag[i]) || tag[i] == '-'))
            ++i;
        const std::string_view name = tag.substr(nameStart, i - nameStart);
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        if (i >= tag.size() || tag[i] != '=')
            continue;
        ++i;
        while (i < tag.size() && tag[i] == ' ')
            ++i;
        size_t valueStart = i;
        size_t valueEnd = i;
        if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
            const char quote = tag[i];
            valueStart = i + 1;
            valueEnd = tag.find(quote, valueStart);
            if (valueEnd == std::string_view::npos)
                valueEnd = tag.size();
            i = valueEnd + 1;
        } else {
            while (i < tag.size() && tag[i] != ' ' && tag[i] != '>')
                ++i;
            valueEnd = i;
        }
        if (EqualNoCase(name, attribute))
            return std::string(tag.substr(valueStart, valueEnd - valueStart));
    }
    return {};
}

// The end of the tag that starts at text[at] ("<"): the index of its ">",
// quoted attribute values skipped, or npos when it never closes.
size_t FindTagEnd(std::string_view text, size_t at) {
    char quote = 0;
    for (size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            // Quotes open a value only after "=", as in attr="a > b".
            size_t k = i;
            while (k > at + 1 && text[k - 1] == ' ')
                --k;
            if (text[k - 1] == '=')
                quote = c;
        } else if (c == '>') {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string MarkupToText(std::string_view html, bool collapseBlanks);

void HandleTag(std::string_view tag, bool closing, std::string_view name, CTextWriter& writer) {
    if (name == "br") {
        writer.LineEnd();
    } else if (name == "p" ||
               (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')) {
        writer.ParagraphBreak();
    } else if (name == "li") {
        writer.BlockBreak();
        if (!closing)
            writer.Visible("- ");
    } else if (name == "pre") {
        writer.BlockBreak();
        if (closing)
            writer.LeavePre();
        else
            writer.EnterPre();
    } else if (name == "td" || name == "th") {
        if (!closing)
            writer.CellBreak();
    } else if (name == "img" && !closing) {
        const std::string alt = AttributeValue(tag, "alt");
        const std::string altText = MarkupToText(alt, true);
        writer.Visible(altText.empty() ? "[image]" : "[image: " + altText + "]");
    } else if (IsOneOf(name, {"div",   "tr",       "ul",      "ol",      "table",      "blockquote",
                              "hr",    "dl",       "dt",      "dd",      "center",     "address",
                              "form",  "fieldset", "section", "article", "header",     "footer",
                              "nav",   "main",     "aside",   "figure",  "figcaption", "caption",
                              "thead", "tbody",    "tfoot",   "body",    "html"})) {
        writer.BlockBreak();
    }
}

std::string MarkupToText(std::string_view html, bool collapseBlanks) {
    CTextWriter writer(collapseBlanks);
    // Searches that reach the end of the text fail for every later start too;
    // remembering them keeps a text full of unclosed tags from being scanned
    // over and over.
    bool tagsUnclosed = false;
    std::vector<std::string> absentClosers;
    size_t i = 0;
    const auto findCloser = [&](const std::string& closer) {
        if (std::find(absentClosers.begin(), absentClosers.end(), closer) != absentClosers.end())
            return std::string_view::npos;
        const size_t at = FindNoCase(html, i, closer);
        if (at == std::string_view::npos)
            absentClosers.push_back(closer);
        return at;
    };
    while (i < html.size()) {
        const char c = html[i];
        if (c == '<') {
            if (StartsWithNoCaseAt(html, i, "<!--")) {
                const size_t end = html.find("-->", i + 4);
                i = end == std::string_view::npos ? html.size() : end + 3;
                continue;
            }
            const char next = i + 1 < html.size() ? html[i + 1] : '\0';
            const bool closing = next == '/' && i + 2 < html.size() && IsAsciiLetter(html[i + 2]);
            const bool looksLikeTag = IsAsciiLetter(next) || closing || next == '!' || next == '?';
            const size_t end =
                looksLikeTag && !tagsUnclosed ? FindTagEnd(html, i) : std::string_view::npos;
            if (end == std::string_view::npos) {
                // Once a tag runs to the end of the text, every later "<" shows as text.
                tagsUnclosed = tagsUnclosed || looksLikeTag;
                writer.Visible("<");
                ++i;
                continue;
            }
            const std::string_view tag = html.substr(i + 1, end - i - 1);
            size_t nameStart = closing ? 1 : 0;
            size_t nameEnd = nameStart;
            while (nameEnd < tag.size() &&
                   (IsAsciiLetter(tag[nameEnd]) || IsAsciiDigit(tag[nameEnd])))
                ++nameEnd;
            std::string name;
            for (size_t k = nameStart; k < nameEnd; ++k)
                name += FoldAscii(tag[k]);
            i = end + 1;
            if (next == '!' || next == '?')
                continue;
            if (!closing && IsOneOf(name, {"head", "title", "script", "style"})) {
                // Their content is not shown: skip to the matching end tag, or for
                // a head that never ends, to the body.
                size_t stop = findCloser("</" + name);
                if (stop == std::string_view::npos && name == "head")
                    stop = findCloser("<body");
                if (stop != std::string_view::npos) {
                    const size_t stopEnd = html.find('>', stop);
                    i = (name == "head" && StartsWithNoCaseAt(html, stop, "<body"))
                            ? stop
                            : (stopEnd == std::string_view::npos ? html.size() : stopEnd + 1);
                }
                continue;
            }
            HandleTag(tag, closing, name, writer);
            continue;
        }
        if (c == '&') {
            char32_t cp = 0;
            size_t length = 0;
            if (DecodeEntity(html, i, cp, length)) {
                i += length;
                if (cp == 0xA0) {
                    // A non-breaking space neither collapses nor breaks a line.
                    writer.Visible(" ");
                } else if (cp == '\n' || cp == '\r' || cp == '\t' || cp == ' ') {
                    writer.SourceWhitespace(static_cast<char>(cp));
                } else if (cp >= 0x20 && !(cp >= 0x7F && cp <= 0x9F)) {
                    std::string piece;
                    AppendUtf8(piece, cp);
                    writer.Visible(piece);
                }
                continue;
            }
            writer.Visible("&");
            ++i;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f') {
            writer.SourceWhitespace(c == '\f' ? ' ' : c);
            ++i;
        } else if (IsOtherControl(byte)) {
            ++i;
        } else if (IsC1ControlAt(html, i)) {
            i += 2;
        } else {
            // One whole UTF-8 character at a time, so a pending blank never
            // lands inside one.
            size_t length = 1;
            if (byte >= 0xF0)
                length = 4;
            else if (byte >= 0xE0)
                length = 3;
            else if (byte >= 0xC0)
                length = 2;
            if (i + length > html.size())
                length = html.size() - i;
            writer.Visible(html.substr(i, length));
            i += length;
        }
    }
    return writer.Finish();
}

} // namespace

std::string HtmlToText(std::string_view html) {
    return MarkupToText(html, true);
}

std::string PlainPageTextToText(std::string_view text) {
    return MarkupToText(text, false);
}

std::string PageFileToText(std::string_view bytes, bool quizIsUtf8) {
    const std::string page = quizIsUtf8 ? ToUtf8(bytes) : Cp1252ToUtf8(bytes);
    std::string text;
    if (ReadComposedText(page, text))
        return PlainPageTextToText(text);
    return HtmlToText(page);
}
