#include "terminal/transcript.h"

#include <algorithm>

#include "terminal/text_layout.h"

namespace {
// The line above each page where the width is not known.
constexpr int kPlainRuleWidth = 40;

} // namespace

int CTranscript::Width() const {
    if (!m_width)
        return 0;
    const int width = m_width();
    return width > 0 ? width : 0;
}

std::string CTranscript::Rule(int width, std::string_view label) const {
    const int length = width > 0 ? std::min(width, kMaxRuleWidth) : kPlainRuleWidth;
    if (label.empty())
        return std::string(static_cast<size_t>(length), '-');
    std::string rule = "--- ";
    rule += label;
    // On a narrow terminal the label stands alone rather than spill over.
    const int rest = length - 5 - TextColumns(label);
    if (rest > 0) {
        rule += ' ';
        rule.append(static_cast<size_t>(rest), '-');
    }
    return rule;
}

void CTranscript::Block(std::string_view text, bool rule, std::string_view label) {
    const int width = Width();
    // Empty lines at the end of a box show nothing.
    while (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (m_last != ELast::Start)
        m_out << '\n';
    if (rule)
        m_out << Rule(width, label) << '\n';
    if (!text.empty())
        m_out << (width > 0 ? WrapText(text, width) : std::string(text)) << '\n';
    m_last = ELast::Block;
}

void CTranscript::Line(const std::string& text) {
    const int width = Width();
    if (m_last == ELast::Prompt)
        m_out << '\n';
    m_out << (width > 0 ? WrapText(text, width) : text) << '\n';
    m_last = ELast::Line;
}

std::string CTranscript::Prompt(const std::string& prompt, bool editorDraws) {
    if (m_last == ELast::Block)
        m_out << '\n';
    std::string last = prompt;
    const int width = Width();
    if (width > 0) {
        // The blank the answer is typed after belongs to the last line.
        const std::string wrapped = WrapText(prompt, width);
        const size_t lastStart = wrapped.rfind('\n');
        if (lastStart != std::string::npos) {
            m_out << wrapped.substr(0, lastStart + 1);
            last = wrapped.substr(lastStart + 1);
            if (prompt.ends_with(' ') && !last.ends_with(' '))
                last += ' ';
        }
    }
    if (!editorDraws)
        m_out << last;
    m_out << std::flush;
    m_last = ELast::Prompt;
    return last;
}

void CTranscript::Answered(const std::string& line, bool echo) {
    if (m_last == ELast::Prompt && echo)
        m_out << line << '\n';
    m_last = ELast::Line;
}

void CTranscript::InputEnded() {
    if (m_last == ELast::Prompt)
        m_out << '\n';
    m_last = ELast::Line;
}
