// CTerminalStyle: colour and weight on a terminal. With colour on, each
// styled text is wrapped in its SGR sequence and a reset; with colour off the
// text comes back exactly as given, so a transcript without colour is plain.
#pragma once

#include <string>
#include <string_view>

class CTerminalStyle {
public:
    explicit CTerminalStyle(bool colour = false) : m_bColour(colour) {}

    bool IsColour() const { return m_bColour; }

    std::string Bold(std::string_view text) const { return Styled("1", text); }
    std::string Dim(std::string_view text) const { return Styled("2", text); }
    // The verdicts: green for a right answer, red for a wrong one.
    std::string Right(std::string_view text) const { return Styled("32", text); }
    std::string Wrong(std::string_view text) const { return Styled("31", text); }

private:
    std::string Styled(std::string_view code, std::string_view text) const {
        if (!m_bColour || text.empty())
            return std::string(text);
        std::string styled = "\x1b[";
        styled += code;
        styled += 'm';
        styled += text;
        styled += "\x1b[0m";
        return styled;
    }

    bool m_bColour;
};

// When to colour: --color=auto|always|never.
enum class EColourChoice { Auto, Always, Never };

// Whether output is coloured. Auto colours a terminal, unless NO_COLOR is set
// to any text but the empty one or TERM names a terminal without escapes
// (dumb); always and never are taken as said, so always overrides NO_COLOR.
inline bool WantsColour(EColourChoice choice, bool terminal, const char* noColour,
                        const char* term) {
    if (choice != EColourChoice::Auto)
        return choice == EColourChoice::Always;
    if (!terminal || (noColour && *noColour))
        return false;
    return !(term && std::string_view(term) == "dumb");
}
