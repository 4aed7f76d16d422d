// Words of every script: the corners of the Unicode rule one by one, and the
// judge against the rule written out on ICU for random texts in many scripts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "judge/answer_judge.h"
#include "judge/judge_test_support.h"
#include "support/icu_word_rule.h"

namespace {
using judge_test::Bytes;
using judge_test::SetIgnoreWords;
using judge_test::Strings;

struct Judge : CAnswerJudge {
    explicit Judge(EWordRule rule) : CAnswerJudge(nullptr) { wordRule = rule; }
};

std::vector<std::string> Words(const CAnswerJudge& judge, std::string_view text,
                               ETextSide side = ETextSide::Typed) {
    CTextList words;
    judge.SplitWords(Bytes(text), words, side);
    return Strings(words);
}

using Words_ = std::vector<std::string>;

TEST(UnicodeWords, AreMadeOfTheLettersMarksAndDigitsOfEveryScript) {
    const Judge judge(EWordRule::Unicode);
    EXPECT_EQ(Words(judge, "кошка"), Words_{"кошка"});
    EXPECT_EQ(Words(judge, "Straße"), Words_{"strasse"});
    // Vowel signs and the virama stay in the Devanagari word.
    EXPECT_EQ(Words(judge, "नमस्ते दुनिया"), (Words_{"नमस्ते", "दुनिया"}));
    // Every kind of space and punctuation separates, the curly apostrophe too.
    EXPECT_EQ(Words(judge, "¿Qué?\u00A0«l’été» „Ja“ 5€ 20°"),
              (Words_{"qué", "l", "été", "ja", "5", "20"}));
    // The joining characters still glue a word together.
    EXPECT_EQ(Words(judge, "Ünter-Maß (Öl)"), (Words_{"ünter-mas", "öl)"}));
    // Full-width letters from an input method, and ligatures, read as plain ones.
    EXPECT_EQ(Words(judge, "ＣＡＦÉ ﬁne"), (Words_{"café", "fine"}));
    // The final s: four code points or more, and only s or S.
    EXPECT_EQ(Words(judge, "Kiss bus Ὀδός ΟΔΟΣ"), (Words_{"kis", "bus", "ὀδόσ", "οδοσ"}));
    EXPECT_EQ(Words(judge, "ΟΔΟΣ", ETextSide::Typed), Words(judge, "οδος"));
}

TEST(UnicodeWords, MatchTheTextsALearnerTypes) {
    const Judge judge(EWordRule::Unicode);
    EXPECT_TRUE(judge.IsCorrect("кошка", "кошка"));
    EXPECT_TRUE(judge.IsCorrect("КОШКА", "кошка"));
    EXPECT_TRUE(judge.IsCorrect("STRASSE", "Straße"));
    EXPECT_TRUE(judge.IsCorrect("strasse", "Straße"));
    EXPECT_FALSE(judge.IsCorrect("Stra e", "Straße"));
    // The final s comes off the folded word on both sides, so ß and ss meet
    // also at the end of a word.
    EXPECT_TRUE(judge.IsCorrect("BOSS", "Boß"));
    EXPECT_TRUE(judge.IsCorrect("Fuß", "FUSS"));
    EXPECT_EQ(Words(judge, "Fuß Füße"), (Words_{"fus", "füsse"}));
    EXPECT_FALSE(judge.IsCorrect("cafe", "café"));
    EXPECT_TRUE(judge.IsCorrect("CAFÉ", "café"));
    // Decomposed and precomposed accents are one letter.
    EXPECT_TRUE(judge.IsCorrect("cafe\u0301", "caf\u00E9"));
    EXPECT_TRUE(judge.IsCorrect("ｃａｆé", "café"));
    EXPECT_TRUE(judge.IsCorrect("ΟΔΟΣ", "οδος"));
    EXPECT_FALSE(judge.IsCorrect("οδος", "οδός"));
    // Default folding keeps the dot of the Turkish capital İ as a mark.
    EXPECT_TRUE(judge.IsCorrect("İSTANBUL", "İstanbul"));
    EXPECT_FALSE(judge.IsCorrect("istanbul", "İstanbul"));
    // The zero-width non-joiner is part of a Persian word, typed or not.
    EXPECT_TRUE(judge.IsCorrect("میخواهم", "می\u200Cخواهم"));
    EXPECT_TRUE(judge.IsCorrect("می\u200Cخواهم", "میخواهم"));
    EXPECT_FALSE(judge.IsCorrect("नमस", "नमस्ते"));
    EXPECT_FALSE(judge.IsCorrect("नमस्ते", "नमस्ते दुनिया"));
    EXPECT_TRUE(judge.IsCorrect("दुनिया नमस्ते", "नमस्ते दुनिया"));
}

TEST(UnicodeWords, WithoutAccentsCountALetterTheSameWithOrWithoutThem) {
    const Judge judge(EWordRule::UnicodeWithoutAccents);
    EXPECT_TRUE(judge.IsCorrect("cafe", "café"));
    EXPECT_TRUE(judge.IsCorrect("Ubersetzung", "Übersetzung"));
    EXPECT_TRUE(judge.IsCorrect("οδος", "οδός"));
    EXPECT_TRUE(judge.IsCorrect("istanbul", "İstanbul"));
    EXPECT_TRUE(judge.IsCorrect("año", "ano"));
    // A word that ends in s once its accents are off loses it as a typed s does.
    EXPECT_TRUE(judge.IsCorrect("wies", "wieś"));
    EXPECT_TRUE(judge.IsCorrect("mogadiš", "Mogadis"));
    // Spacing vowel signs are no accents: the Devanagari word keeps them.
    EXPECT_FALSE(judge.IsCorrect("नमस", "नमस्ते"));
    EXPECT_EQ(Words(judge, "Ελλάδα"), Words_{"ελλαδα"});
}

TEST(UnicodeWords, ReadAWindows1252QuizAsWindows1252AndTypedTextAsUtf8) {
    Judge judge(EWordRule::Unicode);
    judge.expectedUtf8 = false;
    EXPECT_TRUE(judge.IsCorrect("café", "caf\xE9"));
    EXPECT_TRUE(judge.IsCorrect("Œuvre", "\x8C"
                                         "uvre"));
    // Typed text stays UTF-8 whatever the quiz is.
    EXPECT_FALSE(judge.IsCorrect("caf\xE9", "caf\xE9"));
    EXPECT_EQ(Words(judge, "caf\xE9", ETextSide::Expected), Words_{"café"});
    // Bytes that are not UTF-8 separate words.
    EXPECT_EQ(Words(judge,
                    "caf\xFF"
                    "e",
                    ETextSide::Typed),
              (Words_{"caf", "e"}));
}

TEST(UnicodeWords, IgnoreEntriesAreFoldedTheSameWay) {
    Judge judge(EWordRule::Unicode);
    SetIgnoreWords(judge, {"DER", "Τό", "the"});
    EXPECT_TRUE(judge.IsCorrect("Hund", "der Hund"));
    EXPECT_TRUE(judge.IsCorrect("σπίτι", "ΤΌ σπίτι"));
    // An accent still tells words apart: this "το" is no ignore word.
    EXPECT_FALSE(judge.IsCorrect("σπίτι", "το σπίτι"));
    EXPECT_FALSE(judge.IsCorrect("anything", "the"));
    CTextList words;
    CTextList removed;
    judge.SplitWords(Bytes("Der der Hund"), words, ETextSide::Expected);
    judge.RemoveIgnoredWords(words, &removed);
    EXPECT_EQ(Strings(words), (Words_{"der", "hund"}));
    EXPECT_EQ(Strings(removed), Words_{"der"});
    // Without accents, the entry meets the word with its accents off.
    judge.wordRule = EWordRule::UnicodeWithoutAccents;
    EXPECT_TRUE(judge.IsCorrect("σπιτι", "το σπίτι"));
}

TEST(UnicodeWords, LeaveTheAsciiRuleAsItWas) {
    Judge judge(EWordRule::Ascii);
    EXPECT_FALSE(judge.IsCorrect("кошка", "кошка"));
    EXPECT_TRUE(judge.IsCorrect("Stra e", "Straße"));
    EXPECT_FALSE(judge.IsCorrect("cafe", "café"));
    EXPECT_EQ(Words(judge, "Straße"), (Words_{"Stra", "e"}));
    // The rule can change under a judge whose ignore index is built.
    SetIgnoreWords(judge, {"Der"});
    EXPECT_TRUE(judge.IsCorrect("Hund", "der Hund"));
    judge.wordRule = EWordRule::Unicode;
    EXPECT_TRUE(judge.IsCorrect("Hund", "DER Hund"));
    judge.wordRule = EWordRule::Ascii;
    EXPECT_TRUE(judge.IsCorrect("Hund", "DER Hund"));
}

// Random texts over letters, marks and separators of many scripts, judged by
// the judge and by the rule on ICU, with ignore lists short (compared pair by
// pair) and long (looked up in the index).
TEST(UnicodeWords, AgreeWithTheRuleWrittenOnIcu) {
    const std::vector<std::string> pieces = {
        "a",    "E",       "s",      "S",          "ss",     "ß",  "é",  "e\u0301", "É",
        "ü",    "İ",       "ı",      "ſ",          "ﬁ",      "Ａ", "ｓ", "кошка",   "Ё",
        "й",    "и\u0306", "Σ",      "ς",          "σ",      "ά",  "Ὀ",  "\u0345",  "न",
        "मस्",   "ते",       "\u093C", "\u200C",     "\u200D", "ی",  "خ",  "가",      "\u1100\u1161",
        "ㄱ",   "\u0308",  "\u0327", "\u0323",     "1",      "١",  "½",  "Ⅻ",       "-",
        "(",    ")",       "+",      "/",          "#",      " ",  "  ", ",",       ".",
        "’",    "'",       "«",      "»",          "¿",      "€",  "°",  "\u00A0",  "\u3000",
        "\xFF", "\xC3",    "\t",     "\U0001D400", "\u2126"};
    std::mt19937 random(42);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 9);
    const auto text = [&] {
        std::string out;
        for (int n = length(random); n > 0; --n)
            out += pieces[pick(random)];
        return out;
    };
    int wrong = 0;
    for (int round = 0; round < 6000 && wrong < 10; ++round) {
        const bool withoutAccents = round % 2 == 1;
        const bool utf8 = round % 5 != 0;
        Judge judge(withoutAccents ? EWordRule::UnicodeWithoutAccents : EWordRule::Unicode);
        judge.expectedUtf8 = utf8;
        judge.threshold = (round % 3 + 1) / 3.0;
        std::vector<std::string> entries;
        const size_t entryCount = round % 7 == 0 ? 700 : static_cast<size_t>(round % 4);
        for (size_t k = 0; k < entryCount; ++k)
            entries.push_back(pieces[pick(random)] + (k % 2 ? pieces[pick(random)] : ""));
        SetIgnoreWords(judge, entries);
        // Windows-1252 expected text: plain bytes, some of them above 0x7F.
        std::string expected = text();
        if (!utf8)
            expected += "\xE9\x8A\x9F";
        std::string typed = random() % 3 == 0 ? expected : text();
        const bool reference =
            icu_words::IsCorrect(typed, expected, utf8, withoutAccents, entries, judge.threshold);
        const std::vector<std::string> referenceWords =
            icu_words::Words(typed, true, withoutAccents);
        if (judge.IsCorrect(typed.c_str(), expected.c_str()) != reference ||
            Words(judge, typed) != referenceWords) {
            ADD_FAILURE() << "typed \"" << typed << "\" expected \"" << expected << "\" with "
                          << entries.size() << " ignore entries: the rule says "
                          << (reference ? "right" : "wrong");
            ++wrong;
        }
    }
}
} // namespace
