// Fuzzes answer judging under the Unicode word rules: the input is cut into a
// typed and an expected text at its first NUL byte, or half-way when there is
// none, and its last byte picks the rule and the expected text's encoding.
// Besides not crashing, the judge must give the verdict and the words that
// the rule written out on ICU gives, and an answer typed exactly as expected
// must be judged as the rule judges it too.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "judge/answer_judge.h"
#include "judge_input.h"
#include "support/icu_word_rule.h"
#include "text/item_list.h"
#include "text/text_buffer.h"

namespace {
const std::vector<std::string> kIgnoreWords = {"the", "DER", "το", "é", "", "ss", "x+", "\xFF"};

CAnswerJudge& Judge() {
    static CAnswerJudge* judge = [] {
        auto* made = new CAnswerJudge(nullptr);
        for (const std::string& word : kIgnoreWords)
            made->ignoreWords.Add(new CTextBuffer(word.c_str()));
        return made;
    }();
    return *judge;
}

std::vector<std::string> Words(const CAnswerJudge& judge, const std::string& text) {
    CTextList list;
    judge.SplitWords(CTextBuffer(text.c_str()), list);
    std::vector<std::string> words;
    for (const CTextBuffer* word : list)
        words.emplace_back(word->GetText(), static_cast<size_t>(word->GetLength()));
    return words;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t settings = data[size - 1];
    --size;
    const auto [typed, expected] = SplitJudgeInput(data, size);

    const bool withoutAccents = settings & 1;
    const bool utf8 = !(settings & 2);
    CAnswerJudge& judge = Judge();
    judge.wordRule = withoutAccents ? EWordRule::UnicodeWithoutAccents : EWordRule::Unicode;
    judge.expectedUtf8 = utf8;
    judge.threshold = settings & 4 ? 0.5 : CAnswerJudge::kDefaultThreshold;

    const bool right = judge.IsCorrect(typed.c_str(), expected.c_str());
    if (right !=
        icu_words::IsCorrect(typed, expected, utf8, withoutAccents, kIgnoreWords, judge.threshold))
        __builtin_trap();
    if (Words(judge, typed) != icu_words::Words(typed, true, withoutAccents))
        __builtin_trap();
    // Typed as it stands, a UTF-8 expected answer is right unless nothing of it
    // is left once the ignore words are out.
    if (utf8) {
        const bool self = judge.IsCorrect(expected.c_str(), expected.c_str());
        if (self != icu_words::IsCorrect(expected, expected, true, withoutAccents, kIgnoreWords,
                                         judge.threshold))
            __builtin_trap();
    }
    return 0;
}
