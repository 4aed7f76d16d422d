// A loaded quiz written for another program: KDE's vocabulary format (KVTML 2.0)
// or a spreadsheet's CSV or TSV. What the other format cannot hold is named in
// the report; nothing is dropped without a word.
#pragma once

#include <string>

#include "convert/quiz_record.h"
#include "quiz/question_set.h"

// Two languages, "Question" and "Answer"; each question an entry with its first
// answer and its comment. Further answers and explanations are reported as not
// kept. Written with libxml2.
std::string WriteKvtml(const CQuestionSet& set, const std::string& title, CConvertReport& report);

// A header row (Question, Answer…, Ordered, Comment, Explanation) and one row per
// question, quoted as RFC 4180 asks, rows ended by CR LF. separator is ',' for CSV
// or a tab for TSV.
std::string WriteDelimited(const CQuestionSet& set, char separator, CConvertReport& report);

// The quiz's records again, its texts as UTF-8, each named "question N".
std::vector<CQuizRecord> RecordsOf(const CQuestionSet& set);
