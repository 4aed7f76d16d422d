#include "terminal/transcript.h"

namespace {
// The line above each page.
constexpr const char kRule[] = "----------------------------------------";
} // namespace

void CTranscript::Block(std::string_view text, bool rule) {
    // Empty lines at the end of a box show nothing.
    while (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    if (m_last != ELast::Start)
        m_out << '\n';
    if (rule)
        m_out << kRule << '\n';
    if (!text.empty())
        m_out << text << '\n';
    m_last = ELast::Block;
}

void CTranscript::Line(const std::string& text) {
    if (m_last == ELast::Prompt)
        m_out << '\n';
    m_out << text << '\n';
    m_last = ELast::Line;
}

void CTranscript::Prompt(const std::string& prompt) {
    if (m_last == ELast::Block)
        m_out << '\n';
    m_out << prompt << std::flush;
    m_last = ELast::Prompt;
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
