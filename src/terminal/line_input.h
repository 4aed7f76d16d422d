// Typed lines as the terminal quiz reads them.
#pragma once

#include <cstddef>
#include <istream>
#include <string>

// Typed lines longer than this are cut; the answer boxes read far less.
constexpr size_t kMaxTypedLineBytes = 64 * 1024;

// Reads one line of at most maxBytes bytes (the rest of a longer line is read
// and dropped, cut at a character boundary); the line end is not kept. False
// at the end of the input when nothing was read.
bool ReadBoundedLine(std::istream& in, std::string& line, size_t maxBytes);
