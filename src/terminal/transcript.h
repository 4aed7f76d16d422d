// CTranscript: the terminal quiz's session as it is written out. Texts the
// window puts up stand apart as blocks, prompts and short replies follow one
// another line by line.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

class CTranscript {
public:
    explicit CTranscript(std::ostream& out) : m_out(out) {}

    // A text the window put up, after an empty line; rule draws the line
    // above a page first.
    void Block(std::string_view text, bool rule);
    // A short reply or a title line.
    void Line(const std::string& text);
    // Asks for a line; the cursor stays after the prompt.
    void Prompt(const std::string& prompt);
    // The line read after a prompt; echo writes it out, otherwise the
    // terminal has already shown it with its line end.
    void Answered(const std::string& line, bool echo);
    // The input ended at a prompt: finish its line.
    void InputEnded();

    void Flush() { m_out << std::flush; }
    // Nobody reads the session any more (a closed pipe or terminal).
    bool Lost() const { return !m_out.good(); }

private:
    enum class ELast { Start, Block, Line, Prompt };
    std::ostream& m_out;
    ELast m_last = ELast::Start;
};
