// CAnswerJudge: decides whether a typed text matches an expected answer by its words.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/item_list.h"
#include "text/text_buffer.h"

class CAnswerJudge {
public:
    static constexpr double kDefaultThreshold = 0.65;

    // Reads the ignore list from the named file (no file, or a null name: an empty list).
    explicit CAnswerJudge(const char* ignoreFile);

    // Appends one entry per non-blank line of the file to the ignore list, lines
    // untrimmed. False, with the list unchanged, when the file cannot be read or is
    // not a regular file (a named pipe there is never waited on).
    bool LoadIgnoreWords(const char* ignoreFile);

    // Appends the words of the text to the list, in order of appearance.
    void SplitWords(const CTextBuffer& text, CTextList& words) const;

    // Each ignore entry, in list order, removes the first word equal to it (ASCII
    // case folded). Removed words are appended to removed when one is given.
    void RemoveIgnoredWords(CTextList& words, CTextList* removed = nullptr) const;

    // The slot of the first word of the list equal to the given one ignoring ASCII
    // case (whole lengths compared), or -1.
    static int32_t FindWordNoCase(std::string_view word, const CTextList& words);
    // True when some word of the list equals the word, ignoring ASCII case.
    static bool IsWordAmong(const CTextBuffer& word, const CTextList& words);
    // How many expected words (each occurrence counted) equal some typed word.
    static int32_t CountFoundWords(const CTextList& expectedWords, const CTextList& typedWords);
    // Found words over expected words; NaN when no expected word is left, which no
    // threshold accepts.
    static double ComputeShare(int32_t found, int32_t expectedCount);
    bool AcceptsShare(double share) const { return share >= threshold; }

    bool IsCorrect(const char* typed, const char* expected) const;

    CTextList ignoreWords;
    double threshold = kDefaultThreshold;
};
