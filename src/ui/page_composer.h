// Question and explanation pages: a plain text is wrapped in a small HTML page
// sized to the window; a text that already is an HTML page is kept as it is.
#pragma once

#include <string>
#include <string_view>

#include "text/text_buffer.h"

// What a template page holds; it gives the page its title, which is what a
// screen reader names the page by.
enum class EPageKind { Question, Explanation };

// The page for text. A text holding "<html>" anywhere (any case) is the page
// unchanged; any other text has each line end turned into "<br>\n" and goes
// into the layer of the page template, width pixels wide. The template
// declares charset=utf-8 when utf8 is set (a quiz written in UTF-8), else
// iso-8859-1, and is titled "Question" or "Explanation" after kind. Pages of
// any length are composed whole.
CTextBuffer ComposePage(const char* text, int width, bool utf8 = false,
                        EPageKind kind = EPageKind::Question);

// Composes the page and writes it to path, replacing whatever held that name
// (an older page, a file or a link, which is replaced and never followed). The
// page is readable by this user only. True when the whole page was written;
// on a failure the name keeps what it held, no other file is left behind, and
// nothing is reported any further.
bool WritePageFile(const char* text, const std::string& path, int width, bool utf8 = false,
                   EPageKind kind = EPageKind::Question);

// The other way round: when page is a page ComposePage wrapped from a plain
// text (either charset and title, any width), text receives that text as it was written,
// each "<br>\n" back to a line end, and the result is true. Any other page,
// an HTML page kept as it was or an altered template, gives false.
bool ReadComposedText(std::string_view page, std::string& text);
