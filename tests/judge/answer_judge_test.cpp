// Judging one typed text against one expected answer: the share of the expected
// words found among the typed words, measured against the threshold.
#include <cctype>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "judge_test_support.h"

using judge_test::SetIgnoreWords;

namespace {
std::string NumberedWords(int first, int count) {
    std::string text;
    for (int i = first; i < first + count; ++i)
        text += "word" + std::to_string(i) + " ";
    return text;
}
} // namespace

TEST(IsCorrect, WorkedExample) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"the", "of", "a"});
    EXPECT_TRUE(judge.IsCorrect("battle of hastings", "The Battle of Hastings"));
    EXPECT_FALSE(judge.IsCorrect("Hastings", "The Battle of Hastings"));
    EXPECT_TRUE(judge.IsCorrect("the hastings battle, 1066", "The Battle of Hastings"));
    EXPECT_TRUE(judge.IsCorrect("blue red", "red green blue"));
    EXPECT_FALSE(judge.IsCorrect("red", "red green blue"));
}

TEST(IsCorrect, DefaultThresholdNeedsTheTabulatedNumberOfWords) {
    const std::map<int, int> mustBeFound = {{1, 1}, {2, 2}, {3, 2}, {4, 3},  {5, 4},  {6, 4},
                                            {7, 5}, {8, 6}, {9, 6}, {10, 7}, {20, 13}};
    const CAnswerJudge judge(nullptr);
    ASSERT_EQ(judge.threshold, 0.65);
    for (const auto& [expectedCount, must] : mustBeFound) {
        const std::string expected = NumberedWords(0, expectedCount);
        for (int typedCount = 0; typedCount <= expectedCount; ++typedCount) {
            // Wrong words typed alongside never help and never hurt.
            const std::string typed = NumberedWords(0, typedCount) + NumberedWords(100, 3);
            EXPECT_EQ(judge.IsCorrect(typed.c_str(), expected.c_str()), typedCount >= must)
                << typedCount << " of " << expectedCount;
        }
    }
}

TEST(IsCorrect, LetterCaseDoesNotMatter) {
    const CAnswerJudge judge(nullptr);
    EXPECT_TRUE(judge.IsCorrect("PARIS", "Paris"));
    EXPECT_TRUE(judge.IsCorrect("e-MAIL", "E-mail"));
}

TEST(IsCorrect, FinalSMakesPluralAndSingularMeet) {
    const CAnswerJudge judge(nullptr);
    EXPECT_TRUE(judge.IsCorrect("cats", "cat"));
    EXPECT_TRUE(judge.IsCorrect("cat", "cats"));
    EXPECT_FALSE(judge.IsCorrect("buses", "bus"));
}

TEST(IsCorrect, AccentedLettersSeparateWords) {
    const CAnswerJudge judge(nullptr);
    EXPECT_FALSE(judge.IsCorrect("cafe", "caf\xc3\xa9"));
    EXPECT_TRUE(judge.IsCorrect("caf\xc3\xa9", "caf\xc3\xa9"));
    EXPECT_TRUE(judge.IsCorrect("caf\xe9", "caf\xc3\xa9")); // both give the word "caf"
}

TEST(IsCorrect, JoiningCharactersStayOnTheWord) {
    const CAnswerJudge judge(nullptr);
    EXPECT_FALSE(judge.IsCorrect("Paris France", "Paris (France)"));
    EXPECT_TRUE(judge.IsCorrect("Paris (France)", "Paris (France)"));
    EXPECT_TRUE(judge.IsCorrect("1+1=2", "1+1=2"));
    EXPECT_FALSE(judge.IsCorrect("1 1 2", "1+1=2"));
}

TEST(IsCorrect, DecimalPointSplitsANumber) {
    const CAnswerJudge judge(nullptr);
    EXPECT_TRUE(judge.IsCorrect("3 14", "3.14"));
    EXPECT_FALSE(judge.IsCorrect("314", "3.14"));
}

TEST(IsCorrect, ExtraTypedWordsNeverHurt) {
    const CAnswerJudge judge(nullptr);
    EXPECT_TRUE(judge.IsCorrect("Paris London Berlin", "Paris"));
}

TEST(IsCorrect, OneTypedWordSatisfiesEveryEqualExpectedWord) {
    const CAnswerJudge judge(nullptr);
    EXPECT_TRUE(judge.IsCorrect("New", "New New York"));
    EXPECT_FALSE(judge.IsCorrect("York", "New New York"));
}

TEST(IsCorrect, ShareExactlyAtTheThresholdIsRight) {
    const CAnswerJudge judge(nullptr);
    const std::string expected = NumberedWords(0, 20);
    EXPECT_TRUE(judge.IsCorrect(NumberedWords(0, 13).c_str(), expected.c_str()));
    EXPECT_FALSE(judge.IsCorrect(NumberedWords(0, 12).c_str(), expected.c_str()));
}

TEST(IsCorrect, ThresholdIsAFraction) {
    CAnswerJudge judge(nullptr);
    judge.threshold = 0.5;
    EXPECT_TRUE(judge.IsCorrect("red", "red blue"));
    judge.threshold = 80;
    EXPECT_FALSE(judge.IsCorrect("red blue", "red blue"));
    judge.threshold = 1.0;
    EXPECT_TRUE(judge.IsCorrect("blue red", "red blue"));
}

TEST(IsCorrect, ExpectedAnswerOfOnlyIgnoreWordsIsNeverRight) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"the"});
    EXPECT_FALSE(judge.IsCorrect("The", "The"));
    EXPECT_FALSE(judge.IsCorrect("anything", "... !"));
    EXPECT_FALSE(judge.IsCorrect("", ""));
}

TEST(IsCorrect, IgnoreWordRepeatedInTheAnswerIsRemovedOncePerEntry) {
    CAnswerJudge once(nullptr);
    SetIgnoreWords(once, {"the"});
    // "the Who the" keeps one "the" after removal: two of three words remain to find.
    EXPECT_FALSE(once.IsCorrect("Who", "the Who the"));
    EXPECT_TRUE(once.IsCorrect("the Who", "the Who the"));
    CAnswerJudge twice(nullptr);
    SetIgnoreWords(twice, {"the", "the"});
    EXPECT_TRUE(twice.IsCorrect("Who", "the Who the"));
}

TEST(IsCorrect, TypedIgnoreWordsAreJustExtraWords) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"of"});
    EXPECT_TRUE(judge.IsCorrect("of of of Hastings", "Hastings"));
    EXPECT_FALSE(judge.IsCorrect("of", "of Hastings"));
}

TEST(IsCorrect, EmptyTypedTextIsWrong) {
    const CAnswerJudge judge(nullptr);
    EXPECT_FALSE(judge.IsCorrect("", "Paris"));
    EXPECT_FALSE(judge.IsCorrect(" \t.,", "Paris"));
}

TEST(IsCorrectBadInput, NullTextsCountAsEmpty) {
    const CAnswerJudge judge(nullptr);
    EXPECT_FALSE(judge.IsCorrect(nullptr, "Paris"));
    EXPECT_FALSE(judge.IsCorrect("Paris", nullptr));
    EXPECT_FALSE(judge.IsCorrect(nullptr, nullptr));
}

TEST(IsCorrectBadInput, HighAndControlBytesAreSeparators) {
    const CAnswerJudge judge(nullptr);
    for (int b = 1; b <= 0xFF; ++b) {
        const auto c = static_cast<char>(b);
        if (std::isalnum(b) || std::string_view("#$%&()*+-/<=>@[]^{}").find(c) != std::string::npos)
            continue; // a word character or a joining character
        const std::string expected = std::string("ab") + c + "cd";
        EXPECT_TRUE(judge.IsCorrect("cd ab", expected.c_str())) << "byte " << b;
        EXPECT_FALSE(judge.IsCorrect("abcd", expected.c_str())) << "byte " << b;
    }
}

TEST(IsCorrectBadInput, MegabyteTextsAreJudged) {
    CAnswerJudge judge(nullptr);
    SetIgnoreWords(judge, {"word7", "word8", "word9"});
    std::string big;
    for (int i = 0; big.size() < (1u << 20); ++i)
        big += "word" + std::to_string(i) + " ";
    EXPECT_TRUE(judge.IsCorrect(big.c_str(), big.c_str()));
    EXPECT_FALSE(judge.IsCorrect("word1 word2", big.c_str()));
    EXPECT_TRUE(judge.IsCorrect(big.c_str(), "word1 word2"));

    const std::string oneWord(1 << 20, 'x');
    EXPECT_TRUE(judge.IsCorrect(oneWord.c_str(), oneWord.c_str()));
    EXPECT_FALSE(judge.IsCorrect(oneWord.substr(1).c_str(), oneWord.c_str()));
    const std::string noWords(1 << 20, '\xe9');
    EXPECT_FALSE(judge.IsCorrect(noWords.c_str(), noWords.c_str()));
}

// The judge works on views of the texts and switches to hashed lookups for long
// texts and lists; on any input it must decide as the plain steps do.
TEST(IsCorrectReference, AgreesWithThePlainStepsOnRandomAnswers) {
    const std::vector<std::string> vocabulary = {
        "a",   "A",   "the", "The",  "of", "cat", "cats",        "CAT",    "bus", "buses",
        "x+y", "(q)", "q)",  "3.14", "1",  "s",   "caf\xc3\xa9", "e-mail", "sss", "ssss"};
    const std::string separators[] = {" ", "  ", ", ", ".", "\t", "\n", "'", "\xe9", "+", "-"};
    const double thresholds[] = {0.65, 0.5, 1.0, 0.3, 0.99, 0.01, 2.0};
    std::mt19937 random(4242);
    std::uniform_int_distribution<size_t> word(0, vocabulary.size() - 1);
    std::uniform_int_distribution<size_t> separator(0, std::size(separators) - 1);
    std::uniform_int_distribution<size_t> threshold(0, std::size(thresholds) - 1);
    auto makeText = [&](int maxWords) {
        std::string text;
        for (int i = std::uniform_int_distribution<int>(0, maxWords)(random); i > 0; --i)
            text += vocabulary[word(random)] + separators[separator(random)];
        return text;
    };
    for (int round = 0; round < 6000; ++round) {
        const bool large = round % 10 == 0;
        CAnswerJudge judge(nullptr);
        std::vector<std::string> entries;
        for (int i = std::uniform_int_distribution<int>(0, large ? 300 : 6)(random); i > 0; --i)
            entries.push_back(vocabulary[word(random)]);
        SetIgnoreWords(judge, entries);
        judge.threshold = thresholds[threshold(random)];
        const std::string typed = makeText(large ? 200 : 8);
        const std::string expected = makeText(large ? 200 : 6);
        ASSERT_EQ(judge.IsCorrect(typed.c_str(), expected.c_str()),
                  judge_test::ReferenceIsCorrect(judge, typed.c_str(), expected.c_str()))
            << "typed: " << typed << "\nexpected: " << expected << "\nround " << round;
    }
}

TEST(JudgeParts, ShareOfNoExpectedWordIsNotANumberAndNeverAccepted) {
    CAnswerJudge judge(nullptr);
    const double none = CAnswerJudge::ComputeShare(0, 0);
    EXPECT_TRUE(none != none);
    EXPECT_FALSE(judge.AcceptsShare(none));
    judge.threshold = 1e-9;
    EXPECT_FALSE(judge.AcceptsShare(none));
    EXPECT_EQ(CAnswerJudge::ComputeShare(13, 20), 0.65);
}

TEST(JudgeParts, CountFoundWordsCountsEachExpectedOccurrence) {
    const CAnswerJudge judge(nullptr);
    CTextList expected;
    CTextList typed;
    judge.SplitWords(CTextBuffer("red RED blue green"), expected);
    judge.SplitWords(CTextBuffer("Red blue"), typed);
    EXPECT_EQ(CAnswerJudge::CountFoundWords(expected, typed), 3);
    EXPECT_EQ(CAnswerJudge::CountFoundWords(typed, expected), 2);
}
