// Turns records into quiz text. The quiz format has no escape character, so a
// text the loader would read differently (a line that ends in "/", an answer
// that starts with ">>" or holds "<html", a line that starts with ";" where a
// mark is looked for) cannot be written at all; such a record is left out and
// reported. What is written is loaded back with the program's own loader and
// compared, so the quiz holds exactly the records the report counts.
#pragma once

#include <string>
#include <vector>

#include "convert/quiz_record.h"

// Why the record cannot be written as quiz text, or "" when it can. first says
// whether it would be the file's first record (whose first line could be taken
// for an option line).
std::string WhyNotWritable(const CQuizRecord& record, bool first);

// The rule that decides which records are written at all.
using WritableRule = std::string (*)(const CQuizRecord& record, bool first);

// The quiz text of the records that can be written and load back unchanged;
// report.converted counts them and each one left out is added to
// report.skipped with its reason. rule is WhyNotWritable but for a caller that
// wants the loader alone to judge.
std::string WriteQuizText(const std::vector<CQuizRecord>& records, CConvertReport& report,
                          WritableRule rule = WhyNotWritable);
