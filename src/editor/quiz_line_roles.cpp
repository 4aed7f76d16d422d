#include "editor/quiz_line_roles.h"

#include <algorithm>
#include <string>

#include "text/ascii.h"

namespace {
bool IsMark(char c) {
    return c == '/' || c == '\\';
}

// Walks the lines as the loader's NextLine does: the first line is read even
// when empty, every later empty line is skipped.
class CLineWalker {
public:
    CLineWalker(std::string_view text, std::vector<CLineRole>& roles) : m_roles(roles) {
        size_t start = 0;
        for (;;) {
            const size_t end = text.find('\n', start);
            m_lines.push_back(
                text.substr(start, end == std::string_view::npos ? text.npos : end - start));
            if (end == std::string_view::npos)
                break;
            start = end + 1;
        }
        m_roles.assign(m_lines.size(), CLineRole{});
        m_next = 0;
        m_bFirst = true;
    }

    // The index of the next line the loader reads, without taking it; -1 at the end.
    int32_t Peek() const {
        size_t i = m_next;
        if (!m_bFirst)
            while (i < m_lines.size() && m_lines[i].empty())
                ++i;
        // An empty line with nothing after it is the end of the text, not a line.
        if (i >= m_lines.size() || (i + 1 == m_lines.size() && m_lines[i].empty()))
            return -1;
        return static_cast<int32_t>(i);
    }
    int32_t Take() {
        const int32_t i = Peek();
        if (i >= 0) {
            m_next = static_cast<size_t>(i) + 1;
            m_bFirst = false;
        }
        return i;
    }
    std::string_view Line(int32_t i) const { return m_lines[static_cast<size_t>(i)]; }
    CLineRole& Role(int32_t i) { return m_roles[static_cast<size_t>(i)]; }

    // One block, as the loader's ReadBlock reads it; false at the end of the text.
    bool ReadBlock(ELineRole role, bool stopAtMarks, size_t skipFirst = 0) {
        const int32_t first = Take();
        if (first < 0)
            return false;
        CLineRole& head = Role(first);
        head.role = role;
        head.blockStart = true;
        const std::string_view line = Line(first).substr(std::min(skipFirst, Line(first).size()));
        if (StartsWithNoCase(line, "<html") || StartsWithNoCase(line, "<!DOCTYPE")) {
            head.html = true;
            bool closed = ContainsNoCase(line, "</html>");
            while (!closed) {
                const int32_t next = Take();
                if (next < 0)
                    break;
                Role(next) = {role, true, -1, false};
                closed = ContainsNoCase(Line(next), "</html>");
            }
            return true;
        }
        // The first line is trimmed of blanks before its marks are looked at;
        // later lines continue only when their very last character is a mark.
        size_t end = line.find_last_not_of("\t ");
        end = end == std::string_view::npos ? 0 : end + 1;
        int32_t current = first;
        size_t offset = std::min(skipFirst, Line(first).size());
        std::string_view text = line.substr(0, end);
        for (;;) {
            if (text.empty() || !IsMark(text.back()))
                break;
            size_t markAt = text.size();
            while (markAt > 0 && IsMark(text[markAt - 1]))
                --markAt;
            const int32_t next = Peek();
            if (next < 0)
                break;
            if (stopAtMarks && !Line(next).empty() &&
                (Line(next)[0] == ';' || Line(next)[0] == '~'))
                break;
            Role(current).continuationAt = static_cast<int32_t>(offset + markAt);
            Take();
            Role(next) = {role, false, -1, false};
            current = next;
            offset = 0;
            text = Line(next);
        }
        return true;
    }

    std::vector<std::string_view> m_lines;
    std::vector<CLineRole>& m_roles;
    size_t m_next = 0;
    bool m_bFirst = true;
};
} // namespace

std::vector<CLineRole> ClassifyQuizLines(std::string_view text) {
    std::vector<CLineRole> roles;
    CLineWalker walker(text, roles);
    if (StartsWithNoCase(text, "option:")) {
        do {
            const int32_t line = walker.Take();
            if (line < 0)
                break;
            walker.Role(line).role = ELineRole::Option;
            walker.Role(line).blockStart = true;
        } while (walker.Peek() >= 0 && StartsWithNoCase(walker.Line(walker.Peek()), "option:"));
    }
    while (walker.ReadBlock(ELineRole::Question, false)) {
        if (!walker.ReadBlock(ELineRole::Answer, true))
            break;
        for (;;) {
            const int32_t next = walker.Peek();
            if (next < 0 || walker.Line(next).empty())
                break;
            const char mark = walker.Line(next)[0];
            if (mark != ';' && mark != '~')
                break;
            walker.ReadBlock(mark == ';' ? ELineRole::Comment : ELineRole::Explanation, true, 1);
        }
    }
    return roles;
}
