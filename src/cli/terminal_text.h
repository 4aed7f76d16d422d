// Texts on their way to and from a terminal: pages turned into readable text,
// window texts made safe to print, typed lines cleaned into answer-box texts.
#pragma once

#include <istream>
#include <string>
#include <string_view>

// The readable text of an HTML document (UTF-8 in, UTF-8 out, LF line ends):
// tags are dropped, <br>, <p>, <div>, <li>, <tr>, headings and the other block
// elements start new lines, a list item starts with "- ", table cells are set
// apart by two blanks, head, title, script and style are left out, and
// character references are decoded. Runs of blanks and line ends collapse into
// one blank, as a browser shows them, except inside <pre>.
std::string HtmlToText(std::string_view html);

// The same for the text of a plain question that the page template wrapped:
// its lines and blanks stand as written; markup in it still shows as a browser
// would show it.
std::string PlainPageTextToText(std::string_view text);

// What a page file shows, as readable UTF-8 text. A page composed from the
// template gives its layer's text (each "<br>\n" back to one line end); any
// other file is read as a whole HTML document. quizIsUtf8 tells how the page's
// bytes are encoded: UTF-8, or Windows-1252 byte by byte.
std::string PageFileToText(std::string_view bytes, bool quizIsUtf8);

// A window text (UTF-8) ready to print: CR LF and lone CR become LF, tabs stay,
// every other control character is dropped so that a quiz file cannot steer
// the terminal.
std::string PrintableText(std::string_view text);

// A typed line as answer-box text: a line that is not valid UTF-8 is read as
// Windows-1252 (as a Latin-1 terminal sends it), terminal escape sequences
// (arrow keys and the like) and control characters are dropped, and a tab
// becomes a blank.
std::string CleanTypedLine(std::string_view line);

// Reads one line of at most maxBytes bytes (the rest of a longer line is read
// and dropped, cut at a character boundary); the line end is not kept. False
// at the end of the input when nothing was read.
bool ReadBoundedLine(std::istream& in, std::string& line, size_t maxBytes);
