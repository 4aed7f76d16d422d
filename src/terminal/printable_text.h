// Texts on their way to and from a terminal: window texts made safe to print,
// typed lines cleaned into answer-box texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// C1 control characters are two bytes in UTF-8: C2 80 to C2 9F.
bool IsC1ControlAt(std::string_view text, size_t at);
// C0 control characters and DEL, except tab and the line ends.
bool IsOtherControl(unsigned char c);

// A window text (UTF-8) ready to print: CR LF and lone CR become LF, tabs stay,
// every other control character is dropped so that a quiz file cannot steer
// the terminal.
std::string PrintableText(std::string_view text);

// A typed line as answer-box text: a line that is not valid UTF-8 is read as
// Windows-1252 (as a Latin-1 terminal sends it), terminal escape sequences
// (arrow keys and the like) and control characters are dropped, and a tab
// becomes a blank.
std::string CleanTypedLine(std::string_view line);
