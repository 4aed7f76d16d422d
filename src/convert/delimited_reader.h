// Reads rows of text fields: CSV and TSV as spreadsheets write them (RFC 4180
// quoting: separators, doubled quotes and line breaks inside quoted fields), and
// the plain-text exports of flashcard programs (tab-separated, after optional
// header lines such as "#separator:tab", "#html:true", "#columns:Front	Back").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "convert/convert_options.h"
#include "convert/quiz_record.h"

enum class EDelimitedKind { Spreadsheet, Flashcards };

// True when the text begins with a flashcard export's header line.
bool LooksLikeFlashcards(std::string_view bytes);

// One field as the file has it, and whether it was quoted.
struct CDelimitedField {
    std::string text;
    bool quoted = false;
};
struct CDelimitedRow {
    int32_t line = 0; // where the row starts, from 1
    std::vector<CDelimitedField> fields;
    bool unclosed = false; // a quoted field ran to the end of the text
};

// Splits UTF-8 text from offset start (at line firstLine) into rows.
std::vector<CDelimitedRow> SplitRows(std::string_view text, size_t start, int32_t firstLine,
                                     char separator);

// The separator the first line uses: a tab when it has one, else the more
// frequent of ',' and ';' outside quotes, else fallback.
char DetectSeparator(std::string_view text, size_t start, char fallback);

// A spreadsheet that evaluates formulas on opening takes a cell that begins
// with '=', '+', '-', '@', a tab or a CR for one. Such a text is written after
// an apostrophe, which spreadsheets show as text and never evaluate; so is a
// text that is already apostrophes before one of those characters, so that one
// apostrophe is taken off on reading exactly when one was put on.
bool NeedsFormulaGuard(std::string_view text);
// A spreadsheet cell's text as it was before NeedsFormulaGuard's apostrophe.
std::string_view WithoutFormulaGuard(std::string_view cell);

// fallbackSeparator is used when neither the options nor the file tell one
// (',' for a .csv file, a tab for a .tsv file or a flashcard export).
bool ReadDelimited(std::string_view bytes, EDelimitedKind kind, char fallbackSeparator,
                   const CConvertOptions& options, std::vector<CQuizRecord>& records,
                   CConvertReport& report);
