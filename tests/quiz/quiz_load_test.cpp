// Reading quiz files: option header, question, answer, comment and explanation
// blocks, continuation lines, and the three ways a file fails to load.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "quiz/question_set.h"
#include "quiz_files.h"

namespace {
using Strings = std::vector<std::string>;

const std::string kDataDir = TORVI_TEST_DATA_DIR "/quiz/";

class QuizLoadTest : public ::testing::Test, public CQuizSetFixture {};

TEST_F(QuizLoadTest, WorkedExampleGivesThreeQuestionsAndAppliesItsOptions) {
    ASSERT_EQ(Strings({"the", "of", "a"}), WordsOf(m_set.GetIgnoreWords()));
    ASSERT_TRUE(m_set.Load((kDataDir + "worked_example.txt").c_str()));

    EXPECT_DOUBLE_EQ(0.8, m_set.GetThreshold());
    EXPECT_EQ(Strings({"of", "a"}), WordsOf(m_set.GetIgnoreWords()));
    ASSERT_EQ(3, Count());

    EXPECT_EQ("What is the capital of France?", Bytes(Question(0).text));
    EXPECT_EQ(Strings({"Paris"}), AnswersOf(Question(0)));
    EXPECT_EQ("Paris lies on the Seine.", Bytes(Question(0).comment));
    EXPECT_EQ("<html><body>Paris has been the capital for centuries.</body></html>",
              Bytes(Question(0).explanation));
    EXPECT_FALSE(Question(0).ordered);

    EXPECT_EQ("Name the primary colours of light,\nin any order.", Bytes(Question(1).text));
    EXPECT_EQ(Strings({"red", "green", "blue"}), AnswersOf(Question(1)));
    EXPECT_EQ("", Bytes(Question(1).comment));
    EXPECT_EQ("", Bytes(Question(1).explanation));
    EXPECT_FALSE(Question(1).ordered);

    EXPECT_EQ("Give the first three letters of the alphabet.", Bytes(Question(2).text));
    EXPECT_EQ(Strings({"a", "b", "c"}), AnswersOf(Question(2)));
    EXPECT_TRUE(Question(2).ordered);
    EXPECT_EQ(ELoadFailure::None, m_set.GetLastLoadError().failure);
}

TEST_F(QuizLoadTest, WorkedExampleEndingAfterALoneQuestionFailsAtThatQuestion) {
    EXPECT_FALSE(m_set.Load((kDataDir + "worked_example_cut.txt").c_str()));
    EXPECT_EQ(0, Count());
    const CLoadError& error = m_set.GetLastLoadError();
    EXPECT_EQ(ELoadFailure::NoAnswerBlock, error.failure);
    EXPECT_EQ(13, error.line);
    EXPECT_EQ("Give the first three letters of the alphabet.", error.firstLine);
    EXPECT_EQ("line 13: question without an answer block (the file ends after it): \"Give the "
              "first three letters of the alphabet.\"",
              error.Describe());
}

TEST_F(QuizLoadTest, LineEndsOfEveryKindGiveTheSameQuiz) {
    const std::string lf = "Q one/\ncontinued\n\nA\n;note\n\n~more\nQ two\n>>x/\ny\n";
    std::string crlf;
    std::string cr;
    for (char c : lf) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        cr += c == '\n' ? '\r' : c;
    }
    for (const std::string& text : {lf, crlf, cr}) {
        ASSERT_TRUE(LoadText(text));
        ASSERT_EQ(2, Count());
        EXPECT_EQ("Q one\ncontinued", Bytes(Question(0).text));
        EXPECT_EQ(Strings({"A"}), AnswersOf(Question(0)));
        EXPECT_EQ("note", Bytes(Question(0).comment));
        EXPECT_EQ("more", Bytes(Question(0).explanation));
        EXPECT_EQ(Strings({"x", "y"}), AnswersOf(Question(1)));
        EXPECT_TRUE(Question(1).ordered);
    }
}

TEST_F(QuizLoadTest, EmptyFileAndHeaderOnlyFileLoadWithNoQuestions) {
    EXPECT_TRUE(LoadText(""));
    EXPECT_EQ(0, Count());
    EXPECT_TRUE(LoadText("option:PercentForCorrect:0.5\noption:Unknown:1\n"));
    EXPECT_EQ(0, Count());
    EXPECT_DOUBLE_EQ(0.5, m_set.GetThreshold());
}

TEST_F(QuizLoadTest, FileThatCannotBeOpenedFailsAndEmptiesTheSet) {
    ASSERT_TRUE(LoadText("Q\nA\n"));
    ASSERT_EQ(1, Count());
    EXPECT_FALSE(m_set.Load(m_folder.PathOf("missing.txt").c_str()));
    EXPECT_EQ(0, Count());
    EXPECT_EQ(ELoadFailure::CannotOpen, m_set.GetLastLoadError().failure);
    EXPECT_EQ(0, m_set.GetLastLoadError().line);
    EXPECT_FALSE(m_set.Load(nullptr));
}

TEST_F(QuizLoadTest, FileOfBlankLinesIsAnEmptyQuestionWithoutAnswer) {
    // The first line stands on a line end, so it is read as one empty line.
    EXPECT_FALSE(LoadText("\n\r\n\n"));
    EXPECT_EQ(ELoadFailure::NoAnswerBlock, m_set.GetLastLoadError().failure);
    EXPECT_EQ(1, m_set.GetLastLoadError().line);
    EXPECT_EQ("", m_set.GetLastLoadError().firstLine);
}

// --- The option header ---

TEST_F(QuizLoadTest, OptionKeywordsIgnoreLetterCase) {
    ASSERT_TRUE(LoadText("OPTION:percentforcorrect:0.5\nOption:DONTIGNORE:The\nQ\nA\n"));
    EXPECT_DOUBLE_EQ(0.5, m_set.GetThreshold());
    EXPECT_EQ(Strings({"of", "a"}), WordsOf(m_set.GetIgnoreWords()));
    EXPECT_EQ(1, Count());
}

TEST_F(QuizLoadTest, ThresholdOptionTakesOnlyPositiveNumbersRightAfterTheColon) {
    const struct {
        const char* value;
        double expected;
    } cases[] = {
        {" 0.8", 0.65},
        {"0", 0.65},
        {"-0.5", 0.65},
        {"abc", 0.65},
        {"", 0.65},
        {"80", 80.0},
        {"0.5 and", 0.5},
        {"\t0.75", 0.75},
        // Only the decimal form is a number: hexadecimal reads as its leading
        // "0", and "inf", "nan" or an overflow are no threshold.
        {"0x0.8", 0.65},
        {"0X1P-1", 0.65},
        {"inf", 0.65},
        {"Infinity", 0.65},
        {"nan", 0.65},
        {"1e999", 0.65},
        {"+0.5", 0.5},
        {"5e-1", 0.5},
    };
    for (const auto& c : cases) {
        CQuizSetFixture fresh;
        ASSERT_TRUE(
            fresh.LoadText(std::string("option:PercentForCorrect:") + c.value + "\nQ\nA\n"));
        EXPECT_DOUBLE_EQ(c.expected, fresh.m_set.GetThreshold()) << "value '" << c.value << "'";
    }
}

TEST_F(QuizLoadTest, DontIgnoreRemovesOneEntryEqualToTheUntrimmedWord) {
    CQuizSetFixture twice("the\nof\nthe\n");
    ASSERT_TRUE(twice.LoadText("option:DontIgnore:THE\n"));
    EXPECT_EQ(Strings({"of", "the"}), WordsOf(twice.m_set.GetIgnoreWords()));

    ASSERT_TRUE(LoadText("option:DontIgnore: the\noption:DontIgnore:cat\n"));
    EXPECT_EQ(Strings({"the", "of", "a"}), WordsOf(m_set.GetIgnoreWords()));
}

TEST_F(QuizLoadTest, HeaderMayHaveBlankLinesBetweenOptionLines) {
    ASSERT_TRUE(LoadText("option:PercentForCorrect:0.5\n\n\noption:DontIgnore:of\n\nQ\nA\n"));
    EXPECT_DOUBLE_EQ(0.5, m_set.GetThreshold());
    EXPECT_EQ(Strings({"the", "a"}), WordsOf(m_set.GetIgnoreWords()));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("Q", Bytes(Question(0).text));
}

TEST_F(QuizLoadTest, BlankFirstLineHidesTheHeaderAndGivesAnEmptyFirstQuestion) {
    ASSERT_TRUE(LoadText("\noption:PercentForCorrect:0.5\nQ\nA\n"));
    EXPECT_DOUBLE_EQ(0.65, m_set.GetThreshold());
    ASSERT_EQ(2, Count());
    EXPECT_EQ("", Bytes(Question(0).text));
    EXPECT_EQ(Strings({"option:PercentForCorrect:0.5"}), AnswersOf(Question(0)));
    EXPECT_EQ("Q", Bytes(Question(1).text));
}

TEST_F(QuizLoadTest, OptionWithNothingOnItsLineReadsAnEmptyRest) {
    ASSERT_TRUE(LoadText("option:\nPercentForCorrect:0.5\nA\n"));
    EXPECT_DOUBLE_EQ(0.65, m_set.GetThreshold());
    ASSERT_EQ(1, Count());
    EXPECT_EQ("PercentForCorrect:0.5", Bytes(Question(0).text));
}

TEST_F(QuizLoadTest, OptionAtTheVeryEndOfTheFileIsAnEmptyOption) {
    ASSERT_TRUE(LoadText("option:PercentForCorrect:0.5\noption:"));
    EXPECT_DOUBLE_EQ(0.5, m_set.GetThreshold());
    EXPECT_EQ(0, Count());
    ASSERT_TRUE(LoadText("option:"));
    EXPECT_EQ(0, Count());
}

TEST_F(QuizLoadTest, OptionLineAfterTheFirstRecordIsQuizText) {
    ASSERT_TRUE(LoadText("Q\nA\noption:PercentForCorrect:0.5\noption:DontIgnore:the\n"));
    EXPECT_DOUBLE_EQ(0.65, m_set.GetThreshold());
    EXPECT_EQ(Strings({"the", "of", "a"}), WordsOf(m_set.GetIgnoreWords()));
    ASSERT_EQ(2, Count());
    EXPECT_EQ("option:PercentForCorrect:0.5", Bytes(Question(1).text));
    EXPECT_EQ(Strings({"option:DontIgnore:the"}), AnswersOf(Question(1)));
}

TEST_F(QuizLoadTest, OptionEffectsLastOverLaterLoadsAndFailedLoads) {
    ASSERT_TRUE(LoadText("option:DontIgnore:the\noption:PercentForCorrect:0.5\nQ\nA\n"));
    ASSERT_TRUE(LoadText("Q\nA\n"));
    EXPECT_DOUBLE_EQ(0.5, m_set.GetThreshold());
    EXPECT_EQ(Strings({"of", "a"}), WordsOf(m_set.GetIgnoreWords()));

    EXPECT_FALSE(LoadText("option:DontIgnore:of\noption:PercentForCorrect:0.9\nQ\n"));
    EXPECT_DOUBLE_EQ(0.9, m_set.GetThreshold());
    EXPECT_EQ(Strings({"a"}), WordsOf(m_set.GetIgnoreWords()));
}

TEST_F(QuizLoadTest, WordRuleOptionsHoldForTheQuizThatNamesThemAlone) {
    ASSERT_TRUE(LoadText("option:Words:Unicode\nQ\nкошка\n"));
    EXPECT_EQ(EWordRule::Unicode, m_set.judge.wordRule);
    EXPECT_TRUE(m_set.JudgeAnswer("КОШКА", 0, true));
    // The next quiz without the option is judged by the ASCII rule again.
    ASSERT_TRUE(LoadText("Q\nкошка\n"));
    EXPECT_EQ(EWordRule::Ascii, m_set.judge.wordRule);
    EXPECT_FALSE(m_set.JudgeAnswer("кошка", 0, true));
    // Accents:Optional reads words the Unicode way too, before or after Words:.
    ASSERT_TRUE(LoadText("option:accents:OPTIONAL\noption:WORDS:unicode \nQ\ncafé\n"));
    EXPECT_EQ(EWordRule::UnicodeWithoutAccents, m_set.judge.wordRule);
    EXPECT_TRUE(m_set.JudgeAnswer("cafe", 0, true));
    ASSERT_TRUE(LoadText("option:Words:Unicode\noption:Accents:Optional\nQ\ncafé\n"));
    EXPECT_EQ(EWordRule::UnicodeWithoutAccents, m_set.judge.wordRule);
    // Other values, a blank before the value, or the line after the header: no rule.
    for (const char* quiz : {"option:Words:ASCII\nQ\nA\n", "option:Words: Unicode\nQ\nA\n",
                             "option:Accents:Required\nQ\nA\n", "option:WordsUnicode\nQ\nA\n",
                             "\noption:Words:Unicode\nQ\nA\n", "Q\nA\noption:Words:Unicode\nA\n"}) {
        ASSERT_TRUE(LoadText(quiz)) << quiz;
        EXPECT_EQ(EWordRule::Ascii, m_set.judge.wordRule) << quiz;
    }
}

TEST_F(QuizLoadTest, WordRuleReadsExpectedAnswersInTheQuizsEncoding) {
    // Windows-1252: the whole file is not UTF-8, so "caf\xE9" is café.
    ASSERT_TRUE(LoadText("option:Words:Unicode\nQ\ncaf\xE9\n"));
    EXPECT_FALSE(m_set.IsUtf8());
    EXPECT_TRUE(m_set.JudgeAnswer("CAFÉ", 0, true));
    ASSERT_TRUE(LoadText("\xEF\xBB\xBFoption:Words:Unicode\nQ\nStraße\n"));
    EXPECT_TRUE(m_set.IsUtf8());
    EXPECT_TRUE(m_set.JudgeAnswer("STRASSE", 0, true));
    EXPECT_FALSE(m_set.JudgeAnswer("Stra e", 0, true));
}

// --- Question and answer blocks ---

TEST_F(QuizLoadTest, EveryAnswerLineIsOneAnswerWithItsSeparators) {
    ASSERT_TRUE(LoadText("Q\nred, green/\nblue or black\\\na/b\n"));
    EXPECT_EQ(Strings({"red, green", "blue or black", "a/b"}), AnswersOf(Question(0)));
}

TEST_F(QuizLoadTest, ContinuationDropsEveryTrailingMarkButKeepsLaterBlanks) {
    ASSERT_TRUE(LoadText("Ask \t/\\/  \nmore  \nred//\\\ngreen  /  \nblue\nB\n"));
    ASSERT_EQ(2, Count());
    // The first line is trimmed before the marks are looked at; the continued
    // line keeps its blanks.
    EXPECT_EQ("Ask \t\nmore  ", Bytes(Question(0).text));
    // "/  " after a continued line is not a continuation: "blue" is a new question.
    EXPECT_EQ(Strings({"red", "green  /  "}), AnswersOf(Question(0)));
    EXPECT_EQ("blue", Bytes(Question(1).text));
}

TEST_F(QuizLoadTest, BlankAnswerLineGivesAQuestionWithoutAnswers) {
    ASSERT_TRUE(LoadText("Q\n  \t \nNext\nA\n"));
    ASSERT_EQ(2, Count());
    EXPECT_TRUE(AnswersOf(Question(0)).empty());
    EXPECT_FALSE(Question(0).ordered);
}

TEST_F(QuizLoadTest, OrderedMarkAloneOrBeforeAContinuationGivesEmptyFirstAnswer) {
    ASSERT_TRUE(LoadText("Q\n>>\nQ2\n>>/\nred\n"));
    ASSERT_EQ(2, Count());
    EXPECT_TRUE(Question(0).ordered);
    EXPECT_TRUE(AnswersOf(Question(0)).empty());
    EXPECT_TRUE(Question(1).ordered);
    EXPECT_EQ(Strings({"", "red"}), AnswersOf(Question(1)));
}

TEST_F(QuizLoadTest, SingleGreaterThanDoesNotOrderTheAnswers) {
    ASSERT_TRUE(LoadText("Q\n> a\n"));
    EXPECT_FALSE(Question(0).ordered);
    EXPECT_EQ(Strings({"> a"}), AnswersOf(Question(0)));
}

TEST_F(QuizLoadTest, QuestionTextNeverEndsInAContinuationMark) {
    ASSERT_TRUE(LoadText("Is 1/2 = 2/4?/\nA\nB\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("Is 1/2 = 2/4?\nA", Bytes(Question(0).text));
    EXPECT_EQ(Strings({"B"}), AnswersOf(Question(0)));
}

TEST_F(QuizLoadTest, QuestionBlockTakesMarkedContinuationLinesAnswerBlockDoesNot) {
    ASSERT_TRUE(LoadText("Q/\n;not a comment\nA/\n;a comment\n~why/\n;its own comment\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("Q\n;not a comment", Bytes(Question(0).text));
    EXPECT_EQ(Strings({"A"}), AnswersOf(Question(0)));
    EXPECT_EQ("its own comment", Bytes(Question(0).comment));
    EXPECT_EQ("why", Bytes(Question(0).explanation));
}

TEST_F(QuizLoadTest, MarkedLineRightAfterTheQuestionIsItsAnswer) {
    ASSERT_TRUE(LoadText("Q\n;Paris\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ(Strings({";Paris"}), AnswersOf(Question(0)));
    EXPECT_EQ("", Bytes(Question(0).comment));
}

// --- Comments and explanations ---

TEST_F(QuizLoadTest, CommentKeepsLeadingBlanksAndLosesTrailingOnes) {
    ASSERT_TRUE(LoadText("Q\nA\n; Paris  \n"));
    EXPECT_EQ(" Paris", Bytes(Question(0).comment));
}

TEST_F(QuizLoadTest, LaterMarkedBlockOfAKindReplacesTheEarlierOne) {
    ASSERT_TRUE(LoadText("Q\nA\n;first\n~one\n;second\n~two\nQ2\nA2\n"));
    ASSERT_EQ(2, Count());
    EXPECT_EQ("second", Bytes(Question(0).comment));
    EXPECT_EQ("two", Bytes(Question(0).explanation));
    EXPECT_EQ("", Bytes(Question(1).comment));
}

TEST_F(QuizLoadTest, MarkAsTheLastCharacterLeavesItsBlockEmpty) {
    ASSERT_TRUE(LoadText("Q\nA\n;kept?\n;"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("", Bytes(Question(0).comment));
    ASSERT_TRUE(LoadText("Q\nA\n~<html>x</html>\n~"));
    EXPECT_EQ("", Bytes(Question(0).explanation));
}

TEST_F(QuizLoadTest, MarkOnAnOtherwiseEmptyLineGivesAnEmptyBlock) {
    ASSERT_TRUE(LoadText("Q\nA\n;\nNext\nB\n"));
    ASSERT_EQ(2, Count());
    EXPECT_EQ("", Bytes(Question(0).comment));
    EXPECT_EQ("Next", Bytes(Question(1).text));
}

TEST_F(QuizLoadTest, HtmlExplanationIsAcceptedAndJoinedWithoutLineEnds) {
    ASSERT_TRUE(LoadText("Q\nA\n~<HTML>\n<body>\n\n;still html\n</body></Html> tail\nNext\nB\n"));
    ASSERT_EQ(2, Count());
    EXPECT_EQ("<HTML><body>;still html</body></Html> tail", Bytes(Question(0).explanation));
}

// --- HTML question blocks ---

TEST_F(QuizLoadTest, HtmlQuestionRunsToItsClosingTagWhateverTheLinesHold) {
    ASSERT_TRUE(LoadText("<!doctype html>\n<html><body>/\n~x\n;y\n</BODY></HTML>\nAnswer\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("<!doctype html><html><body>/~x;y</BODY></HTML>", Bytes(Question(0).text));
    EXPECT_EQ(Strings({"Answer"}), AnswersOf(Question(0)));
}

TEST_F(QuizLoadTest, ClosingTagSplitOverTwoLinesStillClosesTheBlock) {
    // Lines are joined with nothing between them, so "</ht" + "ml>" closes the block.
    ASSERT_TRUE(LoadText("<html>a</ht\nml>\nAnswer\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("<html>a</html>", Bytes(Question(0).text));
    // All but the last byte of the tag on the earlier line.
    ASSERT_TRUE(LoadText("<html>xx</html\n>\nAnswer\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("<html>xx</html>", Bytes(Question(0).text));
    // Only the first byte on the earlier line.
    ASSERT_TRUE(LoadText("<html>xx<\n/\nhtml>\nAnswer\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("<html>xx</html>", Bytes(Question(0).text));
}

TEST_F(QuizLoadTest, UnclosedHtmlQuestionSwallowsTheRestAndFails) {
    EXPECT_FALSE(LoadText("Q\nA\n<html><body>\nAnswer\nMore\n"));
    EXPECT_EQ(0, Count());
    EXPECT_EQ(ELoadFailure::NoAnswerBlock, m_set.GetLastLoadError().failure);
    EXPECT_EQ(3, m_set.GetLastLoadError().line);
    EXPECT_EQ("<html><body>", m_set.GetLastLoadError().firstLine);
}

// --- The three failures ---

TEST_F(QuizLoadTest, AnswerBlockHoldingHtmlFailsAtTheAnswerLine) {
    EXPECT_FALSE(LoadText("Q1\nA1\n\nQ2\nfirst/\nsecond <HtMl> part\n"));
    EXPECT_EQ(0, Count());
    const CLoadError& error = m_set.GetLastLoadError();
    EXPECT_EQ(ELoadFailure::HtmlInAnswer, error.failure);
    EXPECT_EQ(5, error.line);
    EXPECT_EQ("first/", error.firstLine);

    EXPECT_FALSE(LoadText("Q\n<html>A</html>\n"));
    EXPECT_EQ(ELoadFailure::HtmlInAnswer, m_set.GetLastLoadError().failure);
}

TEST_F(QuizLoadTest, CommentHoldingHtmlFailsButExplanationMayHoldIt) {
    EXPECT_FALSE(LoadText("Q\nA\n;see <html>\n"));
    EXPECT_EQ(ELoadFailure::HtmlInComment, m_set.GetLastLoadError().failure);
    EXPECT_EQ(3, m_set.GetLastLoadError().line);
    EXPECT_EQ(";see <html>", m_set.GetLastLoadError().firstLine);

    EXPECT_TRUE(LoadText("Q\nA\n~see <html>\n"));
    EXPECT_EQ("see <html>", Bytes(Question(0).explanation));
}

TEST_F(QuizLoadTest, ClosingTagAloneInAnAnswerIsAllowed) {
    ASSERT_TRUE(LoadText("Q\n</html> or <htm>\n"));
    EXPECT_EQ(Strings({"</html> or <htm>"}), AnswersOf(Question(0)));
}

TEST_F(QuizLoadTest, FailedLoadKeepsPositionAndCountersButOffersNoQuestion) {
    ASSERT_TRUE(LoadText("Q1\nParis\nQ2\nRome\n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    ASSERT_TRUE(m_set.JudgeAnswer("Paris", 0, true));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_FALSE(LoadText("Q\n"));
    EXPECT_EQ(1, m_set.current);
    EXPECT_EQ(2, m_set.nextInOrder);
    EXPECT_EQ(1, m_set.rightCount);
    EXPECT_EQ(nullptr, m_set.NextQuestion());
    m_set.SetJumbled(true);
    EXPECT_EQ(nullptr, m_set.NextQuestion());
}

TEST_F(QuizLoadTest, SuccessfulLoadStartsAgainFromTheFirstQuestion) {
    ASSERT_TRUE(LoadText("Q1\nParis\nQ2\nRome\n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    ASSERT_TRUE(m_set.JudgeAnswer("Paris", 0, true));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    ASSERT_TRUE(LoadText("R1\nC\n"));
    EXPECT_EQ(0, m_set.nextInOrder);
    EXPECT_EQ(0, m_set.rightCount);
    EXPECT_STREQ("R1", m_set.NextQuestion());
}

// --- Text encoding ---

TEST_F(QuizLoadTest, Utf8FileIsToldApartFromAWindows1252File) {
    ASSERT_TRUE(LoadText("\xC2\xBF"
                         "C\xC3\xB3mo?\nbien\n"));
    EXPECT_TRUE(m_set.IsUtf8());
    ASSERT_TRUE(LoadText("Caf\xE9?\n\xE9t\xE9\n"));
    EXPECT_FALSE(m_set.IsUtf8());
    EXPECT_EQ("\xE9t\xE9", AnswersOf(Question(0))[0]);
    ASSERT_TRUE(LoadText("plain ascii\nyes\n"));
    EXPECT_TRUE(m_set.IsUtf8());
}

TEST_F(QuizLoadTest, ByteOrderMarkOfAUtf8FileIsNotText) {
    const std::string quiz = "\xEF\xBB\xBFoption:PercentForCorrect:0.5\noption:DontIgnore:the\n"
                             "Caf\xC3\xA9?\nOui\n";
    // Small pieces cut the mark and the characters after it at every place.
    for (size_t chunk : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, size_t{5}}) {
        CQuizSetFixture fresh;
        ASSERT_TRUE(fresh.LoadTextInPieces(quiz, chunk)) << chunk;
        EXPECT_DOUBLE_EQ(0.5, fresh.m_set.GetThreshold()) << chunk;
        EXPECT_EQ(Strings({"of", "a"}), WordsOf(fresh.m_set.GetIgnoreWords())) << chunk;
        ASSERT_EQ(1, fresh.Count()) << chunk;
        EXPECT_EQ("Caf\xC3\xA9?", Bytes(fresh.Question(0).text)) << chunk;
        EXPECT_TRUE(fresh.m_set.IsUtf8()) << chunk;
    }
    // Without a header the first question starts clean.
    ASSERT_TRUE(LoadText("\xEF\xBB\xBFQ\nA\n"));
    EXPECT_EQ("Q", Bytes(Question(0).text));
}

TEST_F(QuizLoadTest, ByteOrderMarkBytesInAWindows1252FileAreText) {
    // The invalid byte comes late, after the first pieces are read and checked.
    const std::string quiz = "\xEF\xBB\xBFoption:PercentForCorrect:0.5\nQ\nA\n" +
                             std::string(300, 'x') + "\nCaf\xE9\nOui\n";
    for (size_t chunk : {size_t{0}, size_t{4}, size_t{64}}) {
        CQuizSetFixture fresh;
        ASSERT_TRUE(fresh.LoadTextInPieces(quiz, chunk)) << chunk;
        EXPECT_DOUBLE_EQ(0.65, fresh.m_set.GetThreshold()) << chunk;
        ASSERT_EQ(3, fresh.Count()) << chunk;
        EXPECT_EQ("\xEF\xBB\xBFoption:PercentForCorrect:0.5", Bytes(fresh.Question(0).text));
        EXPECT_FALSE(fresh.m_set.IsUtf8());
    }
}

TEST_F(QuizLoadTest, ByteOrderMarkKeepsLineNumbersAndTheHiddenHeaderNote) {
    CLoadReport report;
    EXPECT_FALSE(LoadText("\xEF\xBB\xBFoption:DontIgnore:of\nQ\nA\nLast\n", &report));
    EXPECT_EQ(4, report.error.line);
    ASSERT_EQ(1u, report.options.size());
    EXPECT_EQ(1, report.options[0].line);

    ASSERT_TRUE(LoadText("\xEF\xBB\xBF\noption:DontIgnore:of\nQ\nA\n", &report));
    EXPECT_EQ(2, report.hiddenHeaderLine);
}

TEST_F(QuizLoadTest, ByteOrderMarkIsSkippedInAFileReadOnlyOnce) {
    const std::string path = m_folder.PathOf("pipe");
    ASSERT_EQ(0, mkfifo(path.c_str(), 0600));
    const std::string quiz =
        "\xEF\xBB\xBFoption:PercentForCorrect:0.5\n" + std::string(200000, 'q') + "\n\xC3\xA9\n";
    std::thread writer([&] {
        std::ofstream out(path, std::ios::binary);
        out.write(quiz.data(), static_cast<std::streamsize>(quiz.size()));
    });
    const bool loaded = m_set.Load(path.c_str());
    writer.join();
    ASSERT_TRUE(loaded);
    EXPECT_DOUBLE_EQ(0.5, m_set.GetThreshold());
    ASSERT_EQ(1, Count());
    EXPECT_EQ(std::string(200000, 'q'), Bytes(Question(0).text));
    EXPECT_EQ(Strings({"\xC3\xA9"}), AnswersOf(Question(0)));
}

// --- The report for authors' tools ---

TEST_F(QuizLoadTest, ReportGivesTheLineOfEveryQuestionAndAnswer) {
    CLoadReport report;
    ASSERT_TRUE(LoadText("option:PercentForCorrect:0.7\r\n\r\nQ1/\r\nmore\r\nA1/\r\n\r\nA2\r\n;c\r"
                         "Q2\rB\r\r",
                         &report));
    ASSERT_EQ(1u, report.options.size());
    EXPECT_EQ(1, report.options[0].line);
    EXPECT_EQ("PercentForCorrect:0.7", report.options[0].rest);
    ASSERT_EQ(2u, report.questions.size());
    EXPECT_EQ(3, report.questions[0].textLine);
    EXPECT_EQ(std::vector<int32_t>({5, 7}), report.questions[0].answerLines);
    EXPECT_EQ(9, report.questions[1].textLine);
    EXPECT_EQ(std::vector<int32_t>({10}), report.questions[1].answerLines);
    EXPECT_TRUE(report.strayOptionLines.empty());
    EXPECT_EQ(0, report.hiddenHeaderLine);
}

TEST_F(QuizLoadTest, ReportPutsEachAnswerOnItsOwnLinePastEmptiedContinuations) {
    CLoadReport report;
    ASSERT_TRUE(LoadText("Q\na/\n/\nthe\nQ2\n>>a/\n\\\n/\nb\\\nc\nQ3\n>>/\n/\nd\n", &report));
    ASSERT_EQ(3u, report.questions.size());
    EXPECT_EQ(std::vector<int32_t>({2, 4}), report.questions[0].answerLines);
    EXPECT_EQ(std::vector<int32_t>({6, 9, 10}), report.questions[1].answerLines);
    // An ordered block whose first line is only ">>/" starts with an empty answer.
    EXPECT_EQ(std::vector<int32_t>({12, 14}), report.questions[2].answerLines);
    EXPECT_EQ(Strings({"", "d"}), AnswersOf(Question(2)));
}

TEST_F(QuizLoadTest, ReportFindsOptionLinesThatAreReadAsText) {
    CLoadReport report;
    ASSERT_TRUE(
        LoadText("option:DontIgnore:x\nQ\nA\nOPTION:PercentForCorrect:2\n  option:x\n", &report));
    EXPECT_EQ(std::vector<int32_t>({4}), report.strayOptionLines);

    ASSERT_TRUE(LoadText("  \n\noption:a\n\noption:b\nQ\noption:c\nA\n", &report));
    EXPECT_EQ(3, report.hiddenHeaderLine);
    EXPECT_EQ(std::vector<int32_t>({7}), report.strayOptionLines);
    EXPECT_TRUE(report.options.empty());
}

TEST_F(QuizLoadTest, ReportOfAFailedLoadHasTheErrorAndNoQuestions) {
    CLoadReport report;
    ASSERT_TRUE(LoadText("Q\nA\n", &report));
    ASSERT_EQ(1u, report.questions.size());
    EXPECT_FALSE(LoadText("option:PercentForCorrect:0\nQ\nA\n;<html>\n", &report));
    EXPECT_EQ(ELoadFailure::HtmlInComment, report.error.failure);
    EXPECT_EQ(4, report.error.line);
    EXPECT_TRUE(report.questions.empty());
    ASSERT_EQ(1u, report.options.size());
    EXPECT_EQ("PercentForCorrect:0", report.options[0].rest);
}

} // namespace
