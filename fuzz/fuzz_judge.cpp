// Fuzzes answer judging: the input is cut into a typed and an expected text at its
// first NUL byte, or half-way when there is none. Besides not crashing, the judge must
// decide exactly as the plain steps do (pattern-based splitting, removal with the
// list's FindNoCase and RemoveRange, share against the threshold), and the
// table-driven splitter must find the same words as the pattern searches.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "judge/answer_judge.h"
#include "judge_input.h"
#include "support/pattern_word_splitter.h"
#include "text/item_list.h"
#include "text/text_buffer.h"

namespace {
CAnswerJudge& Judge() {
    static CAnswerJudge* judge = [] {
        auto* made = new CAnswerJudge(nullptr);
        for (const char* word : {"the", "of", "a", "an", "S", "x+", "THE", "", "this", "(q)"})
            made->ignoreWords.Add(new CTextBuffer(word));
        return made;
    }();
    return *judge;
}

bool SameWords(const CTextList& a, const CTextList& b) {
    if (a.GetCount() != b.GetCount())
        return false;
    for (int32_t i = 0; i < a.GetCount(); ++i) {
        const CTextBuffer* x = a.GetAt(i);
        const CTextBuffer* y = b.GetAt(i);
        if (x->GetLength() != y->GetLength() ||
            std::memcmp(x->GetText(), y->GetText(), static_cast<size_t>(x->GetLength())) != 0)
            return false;
    }
    return true;
}

void CheckSplitter(const CAnswerJudge& judge, const CTextBuffer& text) {
    CTextList fast;
    CTextList plain;
    judge.SplitWords(text, fast);
    SplitWordsByPattern(text, plain);
    if (!SameWords(fast, plain))
        __builtin_trap();
}

// The share as the plain steps give it: -1 when no expected word is left.
double PlainShare(const CAnswerJudge& judge, const CTextBuffer& typed,
                  const CTextBuffer& expected) {
    CTextList typedWords;
    CTextList expectedWords;
    SplitWordsByPattern(typed, typedWords);
    SplitWordsByPattern(expected, expectedWords);
    for (const CTextBuffer* entry : judge.ignoreWords) {
        const int32_t slot = expectedWords.FindNoCase(entry->GetText());
        if (slot >= 0)
            expectedWords.RemoveRange(slot, slot);
    }
    if (expectedWords.GetCount() == 0)
        return -1.0;
    int32_t found = 0;
    for (const CTextBuffer* word : expectedWords) {
        if (typedWords.FindNoCase(word->GetText()) >= 0)
            ++found;
    }
    return static_cast<double>(found) / expectedWords.GetCount();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto [typed, expected] = SplitJudgeInput(data, size);

    CAnswerJudge& judge = Judge();
    const CTextBuffer typedText(typed.c_str());
    const CTextBuffer expectedText(expected.c_str());
    CheckSplitter(judge, typedText);
    CheckSplitter(judge, expectedText);

    const double share = PlainShare(judge, typedText, expectedText);
    for (const double threshold : {0.65, 0.5, 1.0, 0.01}) {
        judge.threshold = threshold;
        const bool right = judge.IsCorrect(typed.c_str(), expected.c_str());
        if (right != (share >= 0 && share >= threshold))
            __builtin_trap();
    }
    judge.threshold = CAnswerJudge::kDefaultThreshold;
    return 0;
}
