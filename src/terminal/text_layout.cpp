#include "terminal/text_layout.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace {

struct CRange {
    char32_t first;
    char32_t last;
};

// Characters that take no column of their own: combining marks, zero-width
// spaces and joiners, variation selectors.
constexpr CRange kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05C7}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x0670, 0x0670}, {0x06D6, 0x06ED}, {0x0900, 0x0903}, {0x093A, 0x094F},
    {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF},
    {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064}, {0x20D0, 0x20FF}, {0x302A, 0x302F},
    {0x3099, 0x309A}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF}};

// East Asian wide and full-width characters, and the emoji shown two columns
// wide; terminals give each of them two columns.
constexpr CRange kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},
    {0x2614, 0x2615},   {0x2648, 0x2653},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},
    {0x2705, 0x2705},   {0x274C, 0x274C},   {0x2753, 0x2755},   {0x2795, 0x2797},
    {0x2B1B, 0x2B1C},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF}, {0x1F900, 0x1F9FF},
    {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

template <size_t N> bool InRanges(const CRange (&ranges)[N], char32_t cp) {
    const auto* end = std::end(ranges);
    const auto* found =
        std::lower_bound(std::begin(ranges), end, cp,
                         [](const CRange& range, char32_t value) { return range.last < value; });
    return found != end && found->first <= cp;
}

int ColumnsOf(char32_t cp) {
    if (InRanges(kZeroWidth, cp))
        return 0;
    return InRanges(kWide, cp) ? 2 : 1;
}

// One piece of a line that is never split: a character with its columns, or a
// whole escape sequence, which takes none.
struct CPiece {
    size_t length;
    int columns;
};

CPiece PieceAt(std::string_view text, size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte == 0x1B && at + 1 < text.size() && text[at + 1] == '[') {
        // ESC [ parameters and intermediates, up to the final byte.
        size_t i = at + 2;
        while (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x20 &&
               static_cast<unsigned char>(text[i]) <= 0x3F)
            ++i;
        if (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x40 &&
            static_cast<unsigned char>(text[i]) <= 0x7E)
            ++i;
        return {i - at, 0};
    }
    if (byte < 0x20 || byte == 0x7F)
        return {1, 0};
    size_t length = 1;
    char32_t cp = byte;
    if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4;
        cp = byte & 0x07;
    } else if (byte >= 0xE0 && byte < 0xF0) {
        length = 3;
        cp = byte & 0x0F;
    } else if (byte >= 0xC2 && byte < 0xE0) {
        length = 2;
        cp = byte & 0x1F;
    } else if (byte >= 0x80) {
        return {1, 1}; // a stray byte shows as one replacement character
    }
    if (at + length > text.size())
        return {text.size() - at, 1};
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80)
            return {k, 1};
        cp = (cp << 6) | (next & 0x3F);
    }
    return {length, ColumnsOf(cp)};
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The columns of a run of blanks that starts at column `column`; a tab goes on
// to the next multiple of eight, as terminals put it.
int BlankColumns(std::string_view blanks, int column) {
    int end = column;
    for (const char c : blanks)
        end = c == '\t' ? (end / 8 + 1) * 8 : end + 1;
    return end - column;
}

class CLineWrapper {
public:
    CLineWrapper(std::string& out, int width) : m_out(out), m_nWidth(width) {}

    void Line(std::string_view line) {
        m_nColumn = 0;
        m_bHasWord = false;
        m_nHang = HangingIndent(line);
        size_t i = 0;
        while (i < line.size()) {
            const size_t blanksStart = i;
            while (i < line.size() && IsBlank(line[i]))
                ++i;
            const std::string_view blanks = line.substr(blanksStart, i - blanksStart);
            const size_t wordStart = i;
            while (i < line.size() && !IsBlank(line[i]))
                ++i;
            Word(blanks, line.substr(wordStart, i - wordStart));
        }
    }

private:
    // Where the rows after a line's first one start: under the first row's
    // text, past its indentation and a list item's mark ("-", "•", "1."), so
    // a list item reads as one block. Where that would leave less than half
    // the width, rows start at the left edge.
    int HangingIndent(std::string_view line) const {
        size_t i = 0;
        while (i < line.size() && line[i] == ' ')
            ++i;
        size_t markEnd = i;
        if (line.substr(i).starts_with("- ")) {
            markEnd = i + 2;
        } else if (line.substr(i).starts_with("\xE2\x80\xA2 ")) {
            markEnd = i + 4;
        } else {
            size_t digits = i;
            while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
                ++digits;
            if (digits > i && line.substr(digits).starts_with(". "))
                markEnd = digits + 2;
        }
        const int hang = TextColumns(line.substr(0, markEnd));
        return 2 * hang <= m_nWidth ? hang : 0;
    }

    // The blanks before a word, then the word. Blanks at a break are dropped;
    // the line's own indentation stays while it leaves room for a character.
    void Word(std::string_view blanks, std::string_view word) {
        const int blankColumns = BlankColumns(blanks, m_nColumn);
        const int wordColumns = TextColumns(word);
        if (m_nColumn + blankColumns + wordColumns <= m_nWidth) {
            m_out += blanks;
            m_out += word;
            m_nColumn += blankColumns + wordColumns;
        } else if (word.empty()) {
            return;
        } else {
            if (m_bHasWord) {
                NewLine();
            } else if (m_nColumn + blankColumns < m_nWidth) {
                m_out += blanks;
                m_nColumn += blankColumns;
            }
            if (m_nColumn + wordColumns <= m_nWidth) {
                m_out += word;
                m_nColumn += wordColumns;
            } else {
                Cut(word);
            }
        }
        m_bHasWord = m_bHasWord || !word.empty();
    }

    // A word longer than the room left goes piece by piece, a new line
    // wherever the next character would not fit.
    void Cut(std::string_view word) {
        for (size_t i = 0; i < word.size();) {
            const CPiece piece = PieceAt(word, i);
            if (m_nColumn + piece.columns > m_nWidth && m_nColumn > 0)
                NewLine();
            m_out.append(word.substr(i, piece.length));
            m_nColumn += piece.columns;
            i += piece.length;
        }
    }

    void NewLine() {
        m_out += '\n';
        m_out.append(static_cast<size_t>(m_nHang), ' ');
        m_nColumn = m_nHang;
    }

    std::string& m_out;
    int m_nWidth;
    int m_nColumn = 0;
    int m_nHang = 0;
    bool m_bHasWord = false;
};

} // namespace

int TextColumns(std::string_view text) {
    int columns = 0;
    for (size_t i = 0; i < text.size();) {
        const CPiece piece = PieceAt(text, i);
        columns += piece.columns;
        i += piece.length;
    }
    return columns;
}

std::string WrapText(std::string_view text, int width) {
    if (width <= 0)
        return std::string(text);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    CLineWrapper wrapper(out, width);
    size_t lineStart = 0;
    while (true) {
        const size_t lineEnd = text.find('\n', lineStart);
        wrapper.Line(text.substr(lineStart, lineEnd == std::string_view::npos
                                                ? std::string_view::npos
                                                : lineEnd - lineStart));
        if (lineEnd == std::string_view::npos)
            break;
        out += '\n';
        lineStart = lineEnd + 1;
    }
    return out;
}
