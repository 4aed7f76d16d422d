// CTranscript: the terminal quiz's session as it is written out. Texts the
// window puts up stand apart as blocks, prompts and short replies follow one
// another line by line.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>

class CTranscript {
public:
    // A rule wider than this reads as a line across an empty screen, not as a
    // heading; wider terminals get it this wide.
    static constexpr int kMaxRuleWidth = 100;

    explicit CTranscript(std::ostream& out) : m_out(out) {}

    // On a terminal: width() gives its columns before each print; blocks and
    // lines are wrapped at it and the rule spans it. Without it (or at 0 or
    // less) lines stay as they are and the rule is 40 dashes.
    void SetWidth(std::function<int()> width) { m_width = std::move(width); }

    // A text the window put up, after an empty line; rule draws the line
    // above a page first, with label set into it when one is given.
    void Block(std::string_view text, bool rule, std::string_view label = {});
    // A short reply or a title line.
    void Line(const std::string& text);
    // Asks for a line; the cursor stays after the prompt. A prompt wider
    // than the terminal is broken at blanks and only its last line waits for
    // the answer. That last line is returned; when the line editor draws it
    // (editorDraws), it is not written here.
    std::string Prompt(const std::string& prompt, bool editorDraws = false);
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
    int Width() const;
    std::string Rule(int width, std::string_view label) const;

    std::ostream& m_out;
    ELast m_last = ELast::Start;
    std::function<int()> m_width;
};
