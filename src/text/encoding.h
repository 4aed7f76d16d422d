// Quiz files may be Windows-1252 or UTF-8. The core works on bytes; texts are
// turned into UTF-8 only where they leave the program (window, JSON, terminal).
#pragma once

#include <string>
#include <string_view>

// True when the bytes form valid UTF-8 (plain ASCII included).
bool IsValidUtf8(std::string_view bytes);
// Valid UTF-8 passes through unchanged; any other text is read as Windows-1252.
std::string ToUtf8(std::string_view bytes);
// Every byte read as one Windows-1252 character, whether or not the text is valid UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// Cuts UTF-8 text to at most maxBytes bytes. The cut moves back to the start of the
// character it would split, so no character is left half; a shorter text stays.
void CutUtf8(std::string& text, size_t maxBytes);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// Appends code points as UTF-8, growing out once.
void AppendUtf8(std::string& out, std::u32string_view text);
// Appends the code points of text: UTF-8, in which every byte sequence that is
// not valid UTF-8 (its longest start that could still have been) reads as one
// U+FFFD, or, when utf8 is false, every byte as one Windows-1252 character.
void AppendCodePoints(std::string_view bytes, bool utf8, std::u32string& out);

// Valid UTF-8 as code points, and back.
std::u32string DecodeUtf8(std::string_view text);
std::string EncodeUtf8(std::u32string_view text);
