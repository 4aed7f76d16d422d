// The DOM counts a text's positions in UTF-16 code units; the window logic
// counts characters. These turn one count into the other over the same text.
#pragma once

#include <string>
#include <string_view>

// The number of characters before the given UTF-16 offset of the UTF-8 text;
// an offset inside a surrogate pair counts the pair's character as before it,
// and one past the end gives the text's length in characters.
int Utf16OffsetToCharacters(std::string_view utf8, int utf16Offset);
// The UTF-16 offset of the given character position in the UTF-8 text,
// clamped to the text.
int CharactersToUtf16Offset(std::string_view utf8, int characters);

// A text for a box that shows plain lines: CR LF and lone CR become LF.
std::string PlainLines(std::string_view text);
