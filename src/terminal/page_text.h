// Question and explanation pages turned into readable text for a terminal.
#pragma once

#include <string>
#include <string_view>

#include "terminal/terminal_style.h"

// The readable text of an HTML document (UTF-8 in, UTF-8 out, LF line ends),
// read with an HTML parser that mends broken markup as a browser does: tags are
// dropped, <br>, <p>, <div>, <li>, <tr>, headings and the other block elements
// start new lines, a list item starts with "- " (or its number in an ordered
// list) and is indented by its list's depth, table cells are set apart by two
// blanks, an image shows as its alternative text, comments, head, title, script
// and style are left out, and every HTML character reference is decoded. Runs
// of blanks and line ends collapse into one blank, as a browser shows them,
// except inside <pre>. Bold text (<b>, <strong>, headings) goes through
// style.Bold. No control character of the page reaches the text: the only
// escape sequences in it are the style's own.
std::string HtmlToText(std::string_view html, const CTerminalStyle& style);
// The same without styles: plain text.
std::string HtmlToText(std::string_view html);

// The same for the text of a plain question that the page template wrapped:
// its lines and blanks stand as written; markup in it still shows as a browser
// would show it.
std::string PlainPageTextToText(std::string_view text,
                                const CTerminalStyle& style = CTerminalStyle(false));

// What a page file shows, as readable UTF-8 text. A page composed from the
// template gives its layer's text (each "<br>\n" back to one line end); any
// other file is read as a whole HTML document. quizIsUtf8 tells how the page's
// bytes are encoded: UTF-8, or Windows-1252 byte by byte.
std::string PageFileToText(std::string_view bytes, bool quizIsUtf8, const CTerminalStyle& style);
// The same without styles: plain text.
std::string PageFileToText(std::string_view bytes, bool quizIsUtf8);
