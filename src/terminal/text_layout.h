// Text laid out for a terminal of a given width.
#pragma once

#include <string>
#include <string_view>

// The text (UTF-8, LF line ends) with each line broken at blanks so that no
// line takes more than width columns; a word longer than a line is cut. The
// rows after a line's first start under its text, past its indentation and a
// list item's mark, unless that is more than half the width. Escape sequences
// take no room. A width of 0 or less leaves the text as it is
// (output that is not a terminal).
std::string WrapText(std::string_view text, int width);

// The columns one line of text takes on a terminal, counted as WrapText
// counts them: escape sequences and control characters take none.
int TextColumns(std::string_view text);
