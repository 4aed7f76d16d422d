// The bytes of a file from another program as UTF-8 text.
#pragma once

#include <string>
#include <string_view>

enum class ESourceEncoding { Utf8, Utf8WithMark, Utf16, Windows1252 };

// UTF-8 with or without a byte-order mark passes through (the mark dropped);
// UTF-16 with a byte-order mark, as a spreadsheet's "Unicode text" is, is
// decoded (a broken surrogate becomes U+FFFD); any other bytes are read as
// Windows-1252, as the quiz loader reads them. NUL characters are kept, so
// that IsBinaryText can tell a file that is no text at all.
std::string DecodeToUtf8(std::string_view bytes, ESourceEncoding* found = nullptr);

// Why every reader refuses a file that IsBinaryText finds, as one line.
inline constexpr char kNotTextError[] = "the file is not text (it holds NUL characters)";

// True when decoded text (not the raw bytes: UTF-16 holds NUL bytes in any
// text) holds a NUL character. No text a person writes holds one, and so
// nearly every binary file, picture, archive or program does.
bool IsBinaryText(std::string_view decoded);
