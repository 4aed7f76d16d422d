// How texts are cut into words: word characters, joining characters, separators
// and the final-s rule; the table-driven splitter against the pattern searches.
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "judge_test_support.h"

using judge_test::Bytes;
using judge_test::Split;
using judge_test::SplitByPattern;
using Words = std::vector<std::string>;

TEST(WordSplitter, RunsOfLettersAndDigitsAreWords) {
    EXPECT_EQ(Split("The Battle of Hastings"), (Words{"The", "Battle", "of", "Hasting"}));
    EXPECT_EQ(Split("  Route 66\tnorth  "), (Words{"Route", "66", "north"}));
}

TEST(WordSplitter, FinalSIsDroppedFromWordsOfFourOrMoreBytes) {
    EXPECT_EQ(Split("Paris laws glass bus is PASS ss sss ssss"),
              (Words{"Pari", "law", "glas", "bus", "is", "PAS", "ss", "sss", "sss"}));
    // Only one s goes, and only from the very end of the whole word.
    EXPECT_EQ(Split("buses abs+s a-bs"), (Words{"buse", "abs+", "a-b"}));
}

TEST(WordSplitter, JoiningCharactersHoldAWordTogether) {
    EXPECT_EQ(Split("1+1 e-mail x=5 a/b 100%"), (Words{"1+1", "e-mail", "x=5", "a/b", "100%"}));
    EXPECT_EQ(Split("a#b$c%d&e(f)g*h+i-j/k<l=m>n@o[p]q^r{s}t"),
              (Words{"a#b$c%d&e(f)g*h+i-j/k<l=m>n@o[p]q^r{s}t"}));
}

TEST(WordSplitter, JoiningCharacterAtTheFrontIsDroppedAndAtTheEndKept) {
    EXPECT_EQ(Split("(hello)"), (Words{"hello)"}));
    EXPECT_EQ(Split("--x c++ a++b"), (Words{"x", "c++", "a++b"}));
    EXPECT_EQ(Split("a+ b"), (Words{"a+", "b"}));
    EXPECT_EQ(Split("+-*/"), Words{});
}

TEST(WordSplitter, PunctuationSeparates) {
    EXPECT_EQ(Split("3.14"), (Words{"3", "14"}));
    EXPECT_EQ(Split("Newton's"), (Words{"Newton", "s"}));
    EXPECT_EQ(Split("a!b'c,d.e:f;g?h\\i_j|k~l\"m`n"),
              (Words{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n"}));
}

TEST(WordSplitter, ControlBytesSeparate) {
    EXPECT_EQ(Split("a\tb\rc\nd\x01"
                    "e\x1f"
                    "f\x7fg"),
              (Words{"a", "b", "c", "d", "e", "f", "g"}));
}

TEST(WordSplitter, EveryByteFrom0x80UpSeparates) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        std::string text = "ab";
        text.push_back(static_cast<char>(b));
        text += "cd";
        EXPECT_EQ(Split(text), (Words{"ab", "cd"})) << "byte " << b;
    }
    EXPECT_EQ(Split("caf\xc3\xa9"), Words{"caf"});
}

TEST(WordSplitter, NulByteInsideABufferSeparates) {
    EXPECT_EQ(Split(std::string("ab\0cd", 5)), (Words{"ab", "cd"}));
    EXPECT_EQ(Split(std::string("\0\0x+\0", 5)), Words{"x+"});
}

TEST(WordSplitter, TextsWithoutWordsGiveNone) {
    EXPECT_EQ(Split(""), Words{});
    EXPECT_EQ(Split(" .,;\t\r\n\xff"), Words{});
}

TEST(WordSplitter, AppendsToTheWordsAlreadyInTheList) {
    const CAnswerJudge judge(nullptr);
    CTextList words;
    judge.SplitWords(CTextBuffer("one"), words);
    judge.SplitWords(CTextBuffer("two threes"), words);
    EXPECT_EQ(judge_test::Strings(words), (Words{"one", "two", "three"}));
}

TEST(WordSplitter, MegabyteTextsSplitWhole) {
    const std::string oneWord(1 << 20, 'a');
    EXPECT_EQ(Split(oneWord), Words{oneWord});

    std::string glued;
    while (glued.size() < (1u << 20))
        glued += "ab+";
    const Words gluedWords = Split(glued);
    ASSERT_EQ(gluedWords.size(), 1u);
    EXPECT_EQ(gluedWords[0], glued);

    std::string many;
    size_t count = 0;
    for (; many.size() < (1u << 20); ++count)
        many += "Constantinople" + std::to_string(count % 1000) + ", ";
    const Words manyWords = Split(many);
    ASSERT_EQ(manyWords.size(), count);
    EXPECT_EQ(manyWords[999], "Constantinople999");
    EXPECT_EQ(manyWords.back(), "Constantinople" + std::to_string((count - 1) % 1000));

    EXPECT_EQ(Split(std::string(1 << 20, '+')), Words{});
}

TEST(WordSplitterReference, PatternSearchesGiveTheWorkedCases) {
    EXPECT_EQ(SplitByPattern("The Battle of Hastings"), (Words{"The", "Battle", "of", "Hasting"}));
    EXPECT_EQ(SplitByPattern("(hello) 3.14 c++ a++b e-mail glass"),
              (Words{"hello)", "3", "14", "c++", "a++b", "e-mail", "glas"}));
    EXPECT_EQ(SplitByPattern("x+"), Words{"x+"});
}

// Texts made mostly of the bytes that decide where words end, so that every rule
// is met many times; the table-driven splitter must agree with the pattern searches.
TEST(WordSplitterReference, TableSplitterAgreesWithPatternSearchesOnRandomTexts) {
    const std::string interesting = "abzAZ09sS#$%&()*+-/<=>@[]^{} .,'!?:;\\_|~\"`\t\r\n\x01\x7f"
                                    "\x80\xe9\xff";
    std::mt19937 random(20240611);
    std::uniform_int_distribution<size_t> pick(0, interesting.size() - 1);
    std::uniform_int_distribution<int> anyByte(1, 255);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> coin(0, 9);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            text.push_back(coin(random) == 0 ? static_cast<char>(anyByte(random))
                                             : interesting[pick(random)]);
        }
        ASSERT_EQ(Split(text), SplitByPattern(text)) << "text: " << text;
    }
}
