// Helpers shared by the answer-judge tests: word lists as strings, temporary files,
// and the judging rules written out step by step with the list operations.
#pragma once

#include "support/pattern_word_splitter.h"
#include "support/temp_dir.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "judge/answer_judge.h"
#include "text/item_list.h"
#include "text/text_buffer.h"

namespace judge_test {

using ::CCurrentDirectory;
using ::CTempDir;

inline std::vector<std::string> Strings(const CTextList& list) {
    std::vector<std::string> out;
    for (const CTextBuffer* item : list)
        out.emplace_back(item->GetText(), static_cast<size_t>(item->GetLength()));
    return out;
}

inline CTextBuffer Bytes(std::string_view bytes) {
    CTextBuffer text;
    text.AssignRange(bytes.data(), static_cast<int32_t>(bytes.size()));
    return text;
}

inline std::vector<std::string> Split(std::string_view text) {
    const CAnswerJudge judge(nullptr);
    CTextList words;
    judge.SplitWords(Bytes(text), words);
    return Strings(words);
}

inline std::vector<std::string> SplitByPattern(std::string_view text) {
    CTextList words;
    SplitWordsByPattern(Bytes(text), words);
    return Strings(words);
}

inline void SetIgnoreWords(CAnswerJudge& judge, const std::vector<std::string>& entries) {
    judge.ignoreWords.RemoveAll();
    for (const std::string& entry : entries) {
        auto* item = new CTextBuffer;
        item->AssignRange(entry.data(), static_cast<int32_t>(entry.size()));
        judge.ignoreWords.Add(item);
    }
}

// Removal as the list operations spell it: each entry deletes the first word that
// equals it ignoring case, found with FindNoCase and deleted with RemoveRange.
inline void ReferenceRemoveIgnoredWords(const CAnswerJudge& judge, CTextList& words,
                                        std::vector<std::string>* removed = nullptr) {
    for (const CTextBuffer* entry : judge.ignoreWords) {
        const int32_t slot = words.FindNoCase(entry->GetText());
        if (slot < 0)
            continue;
        if (removed)
            removed->emplace_back(words.GetAt(slot)->GetText());
        words.RemoveRange(slot, slot);
    }
}

// Judging as the steps spell it, built on the pattern-based splitter.
inline bool ReferenceIsCorrect(const CAnswerJudge& judge, const char* typed, const char* expected) {
    CTextList typedWords;
    CTextList expectedWords;
    SplitWordsByPattern(CTextBuffer(typed), typedWords);
    SplitWordsByPattern(CTextBuffer(expected), expectedWords);
    ReferenceRemoveIgnoredWords(judge, expectedWords);
    if (expectedWords.GetCount() == 0)
        return false;
    int32_t found = 0;
    for (const CTextBuffer* word : expectedWords) {
        if (typedWords.FindNoCase(word->GetText()) >= 0)
            ++found;
    }
    return static_cast<double>(found) / expectedWords.GetCount() >= judge.threshold;
}

} // namespace judge_test
