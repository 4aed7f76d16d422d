// CAnswerJudge: decides whether a typed text matches an expected answer by its words.
#pragma once

#include "quiz/item_list.h"
#include "quiz/text_buffer.h"

class CAnswerJudge {
public:
    static constexpr double kDefaultThreshold = 0.65;

    // Reads the ignore list from the named file (no file: an empty list).
    explicit CAnswerJudge(const char* ignoreFile);

    void SplitWords(const CTextBuffer& text, CTextList& words) const;
    void RemoveIgnoredWords(CTextList& words) const;
    bool IsCorrect(const char* typed, const char* expected) const;

    CTextList ignoreWords;
    double threshold = kDefaultThreshold;
};
