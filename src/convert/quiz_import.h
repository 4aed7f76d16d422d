// Files from other programs as quizzes: which format a file is, its conversion
// into quiz text, and the one way every front end opens any file the program
// can read. A converted file is loaded by the quiz loader like any other, so it
// is judged exactly as a quiz written by hand.
#pragma once

#include <string>
#include <string_view>

#include "convert/convert_options.h"
#include "convert/quiz_record.h"
#include "file/file_read.h"
#include "quiz/question_set.h"

enum class EFileFormat { Quiz, Kvtml, Csv, Tsv, Flashcards };

// "quiz", "KVTML", "CSV", "TSV", "flashcard export".
const char* FormatName(EFileFormat format);

// The format of a file from its first bytes and its name: a vocabulary file or
// a flashcard export is known by its content, a spreadsheet by its name (.csv,
// .tsv, .tab) or a UTF-16 byte-order mark; anything else is a quiz.
EFileFormat DetectInputFormat(std::string_view name, std::string_view start);

// Quiz text for the records of a file of the given format (not Quiz). False, with
// report.error, when the whole file fails.
bool ConvertToQuizText(std::string_view bytes, EFileFormat format, const CConvertOptions& options,
                       std::string& quizText, CConvertReport& report);

enum class EImportResult { NotConverted, Converted, Failed };

// For a file that is not a quiz: reads and converts it, then loads the quiz text
// into set through the loader. NotConverted says the file is a quiz (nothing was
// read; the caller loads it by its path); Failed comes with report.error.
// format, when given, receives the format found.
EImportResult ImportQuizFile(CQuestionSet& set, const std::string& path,
                             const CConvertOptions& options, CConvertReport& report,
                             std::string* quizText = nullptr, EFileFormat* format = nullptr);
