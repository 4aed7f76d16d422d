// Turns records into quiz text. The quiz format has no escape character, so a
// text the loader would read differently (a line that ends in "/", an answer
// that starts with ">>" or holds "<html", a line that starts with ";" where a
// mark is looked for) cannot be written at all; such a record is left out and
// reported. What is written is loaded back with the program's own loader and
// compared, so the quiz holds exactly the records the report counts.
//
// Records from another program are judged in their own letters: when an
// expected answer holds a letter, mark or digit beyond ASCII, the quiz starts
// with option:Words:Unicode, without which such an answer would be cut into
// the ASCII pieces of its words, or have none.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "convert/quiz_record.h"

// Why the record cannot be written as quiz text, or "" when it can. first says
// whether it would be the file's first record (whose first line could be taken
// for an option line).
std::string WhyNotWritable(const CQuizRecord& record, bool first);

// The rule that decides which records are written at all.
using WritableRule = std::string (*)(const CQuizRecord& record, bool first);

// The option header a written quiz starts with.
struct CQuizHeader {
    // The option lines of a quiz that is written again, each the text after
    // "option:" in UTF-8, kept as its author wrote them; that quiz keeps its own
    // word rule. Without them the records come from another program, and the
    // writer chooses the rule by their answers.
    std::optional<std::vector<std::string>> ownLines;
    // Typed answers may leave accents out: option:Accents:Optional, written
    // whatever the answers hold.
    bool accentsOptional = false;
};

// The quiz text of the records that can be written and load back unchanged,
// after the header; report.converted counts them and each one left out is
// added to report.skipped with its reason. rule is WhyNotWritable but for a
// caller that wants the loader alone to judge. A note counts the expected
// answers that have no word under the written quiz's rule, which no typed
// answer can match.
std::string WriteQuizText(const std::vector<CQuizRecord>& records, CConvertReport& report,
                          const CQuizHeader& header = {}, WritableRule rule = WhyNotWritable);
