// How the answer judge sees one typed answer against one expected answer: the
// words on both sides, the ignore words dropped, the words found, the share and
// the verdict. Shared by torvi-cli judge and the quiz editor's answer box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "judge/answer_judge.h"
#include "text/item_list.h"

struct CAnswerExplanation {
    bool right = false;
    // Found words over remaining words; NaN when no expected word is left.
    double share = 0.0;
    int32_t found = 0;
    CTextList typedWords;
    CTextList expectedWords;  // as split, before the ignore words are dropped
    CTextList removedWords;   // the ignore words dropped from them
    CTextList remainingWords; // what the typed words are compared with
    CTextList foundWords;
    CTextList missingWords;
};

// Fills out (which must be fresh) with the judge's reading of typed against expected;
// the verdict is the one IsCorrect gives. expected is in the quiz's encoding (the
// judge's expectedUtf8), typed is UTF-8; under a Unicode rule the words are their
// caseless forms, in UTF-8.
void ExplainAnswer(const CAnswerJudge& judge, std::string_view typed, std::string_view expected,
                   CAnswerExplanation& out);

// Turns words (bytes) into the text a report shows (UTF-8).
using AnswerTextForDisplay = std::string (*)(std::string_view bytes);

// The report, one "Name:  value" line each (LF line ends): verdict, expected
// words, ignored, remaining, found, not found, typed words, share, threshold, the
// word rule, and the ignore list's line as given (already made fit for display).
std::string FormatAnswerExplanation(const CAnswerExplanation& explanation, double threshold,
                                    EWordRule rule, const std::string& ignoreListLine,
                                    AnswerTextForDisplay display);

// The rule as torvi-cli judge names it: "ascii" or "unicode" words, accents
// "required" or "optional".
const char* WordRuleName(EWordRule rule);
const char* AccentsName(EWordRule rule);

// The shortest text that reads back as the same double: 0.65 shows as 0.65.
std::string ExactNumber(double value);
