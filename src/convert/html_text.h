// The HTML that flashcard programs keep in their fields, made plain.
#pragma once

#include <string>
#include <string_view>

// True when the field holds markup: a "<" that starts a tag.
bool HasMarkup(std::string_view field);

// The field as plain text: tags dropped, a line break (<br>, the end of a block)
// a blank, runs of blanks one blank, every character reference decoded. Read by
// libxml2's HTML parser, which fetches nothing.
std::string HtmlToPlainText(std::string_view field);

// Character references decoded as a browser decodes them (every HTML name,
// and numbers), nothing else changed.
std::string DecodeCharacterReferences(std::string_view text);
