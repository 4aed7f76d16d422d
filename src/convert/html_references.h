// HTML character references, read as a browser reads them: every name of
// HTML's list, and numbers, with 128 to 159 taken as the Windows-1252
// characters and what stands for no character as U+FFFD. Shared by the
// terminal's page reader and the reader of flashcard fields.
#pragma once

#include <cstddef>
#include <string_view>

// Decodes the reference that starts at text[at] (an '&'). True when it is one:
// its characters are then in cp (cp[1] is 0 when it stands for one) and length
// is the number of bytes it takes. A number needs no closing ';', a name does.
bool DecodeHtmlReference(std::string_view text, size_t at, char32_t (&cp)[2], size_t& length);
