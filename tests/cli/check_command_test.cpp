// torvi-cli check: compiler-style errors and warnings about quiz files, a summary
// per file, and an exit status that says whether every file loads.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cmd_check.h"
#include "cli_test_support.h"

namespace {
using cli_test::CRunResult;
using cli_test::CTempDir;

constexpr CliCommandFactory kCheck[] = {MakeCheckCommand};

class CheckCommand : public ::testing::Test {
protected:
    CRunResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"check"};
        all.insert(all.end(), args.begin(), args.end());
        return cli_test::RunCli(kCheck, all);
    }
    // Checks one quiz, given as text, against the small ignore list.
    CRunResult Check(const std::string& quiz) {
        m_strPath = m_dir.Write("quiz.txt", quiz);
        return Run({"--ignore-words", m_dir.Write("ignore.txt", "the\nof\na\n"), m_strPath});
    }
    // The expected output: each line prefixed with the quiz file's path.
    std::string Lines(const std::vector<std::string>& lines) const {
        std::string out;
        for (const std::string& line : lines)
            out += m_strPath + ":" + line + "\n";
        return out;
    }

    CTempDir m_dir;
    std::string m_strPath;
};

TEST_F(CheckCommand, CleanQuizGivesOnlyItsSummary) {
    const CRunResult result = Check("Q1\nParis\n;c\n~e\nQ2\nred/\nblue\n");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(Lines({" 2 questions, 0 errors, 0 warnings"}), result.out);
    EXPECT_EQ("", result.err);
}

TEST_F(CheckCommand, EachLoadFailureIsAnErrorAtItsBlock) {
    CRunResult result = Check("Q1\nA1\n\nQuestion two/\ncontinued\n");
    EXPECT_EQ(1, result.exitCode);
    EXPECT_EQ(Lines({"4: error: question without an answer block (the file ends after it): "
                     "\"Question two/\"",
                     " 0 questions, 1 error, 0 warnings"}),
              result.out);
    result = Check("Q1\n<html>A</html>\n");
    EXPECT_EQ(Lines({"2: error: answer block contains \"<html>\": \"<html>A</html>\"",
                     " 0 questions, 1 error, 0 warnings"}),
              result.out);
    result = Check("Q1\nA1\n~fine <html>\n;bad <html>\n");
    EXPECT_EQ(Lines({"4: error: comment block contains \"<html>\": \";bad <html>\"",
                     " 0 questions, 1 error, 0 warnings"}),
              result.out);
}

TEST_F(CheckCommand, AnswerWithoutWordsAfterTheIgnoreListIsAWarning) {
    const CRunResult result = Check("Q\nThe/\nof a/\nred\nQ2\n>>/\nblue\n");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(Lines({"2: warning: expected answer \"The\" can never be matched: no words are left "
                     "once the ignore words are dropped",
                     "3: warning: expected answer \"of a\" can never be matched: no words are "
                     "left once the ignore words are dropped",
                     "6: warning: expected answer \"\" can never be matched: no words are left "
                     "once the ignore words are dropped",
                     " 2 questions, 0 errors, 3 warnings"}),
              result.out);
}

TEST_F(CheckCommand, AnswerWarningIsOnTheLineThatHoldsTheAnswer) {
    const CRunResult result = Check("Q\nParis/\n/\nthe\nQ2\nb/\n\\\n\\\nof\n");
    EXPECT_EQ(Lines({"4: warning: expected answer \"the\" can never be matched: no words are left "
                     "once the ignore words are dropped",
                     "9: warning: expected answer \"of\" can never be matched: no words are left "
                     "once the ignore words are dropped",
                     " 2 questions, 0 errors, 2 warnings"}),
              result.out);
}

TEST_F(CheckCommand, AnswerIsCheckedAsTheJudgeReadsIt) {
    // The judge reads an expected answer up to a NUL byte.
    const CRunResult result =
        Check(std::string("Q\nthe") + '\0' + "Paris\nQ2\nParis" + '\0' + "the\n");
    ASSERT_EQ(0, result.exitCode);
    EXPECT_NE(result.out.find(":2: warning: expected answer \"the"), std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find(":4: warning"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find(" 2 questions, 0 errors, 1 warning\n"), std::string::npos)
        << result.out;
}

TEST_F(CheckCommand, DontIgnoreOptionMakesAnAnswerMatchableAgain) {
    const CRunResult result = Check("option:DontIgnore:the\nQ\nThe\n");
    EXPECT_EQ(Lines({" 1 question, 0 errors, 0 warnings"}), result.out);
}

TEST_F(CheckCommand, MoreThanTenAnswersIsAWarningAtTheQuestion) {
    std::string quiz = "Intro\nok\nMany?\n";
    for (int i = 1; i <= 11; ++i)
        quiz += "w" + std::to_string(i) + (i < 11 ? "/\n" : "\n");
    const CRunResult result = Check(quiz);
    EXPECT_EQ(Lines({"3: warning: question has 11 expected answers; only the first ten can be "
                     "typed and judged",
                     " 2 questions, 0 errors, 1 warning"}),
              result.out);
}

TEST_F(CheckCommand, OptionLinesThatAreNotReadAsOptionsAreWarnings) {
    CRunResult result =
        Check("option:PercentForCorrect:0.7\nQ\nParis\noption:DontIgnore:the\nRome\n");
    EXPECT_EQ(Lines({"4: warning: \"option:\" line after the first question is read as question "
                     "or answer text, not as an option",
                     " 2 questions, 0 errors, 1 warning"}),
              result.out);
    // The blank line also makes an empty first question.
    result = Check("\noption:PercentForCorrect:0.7\n\noption:DontIgnore:the\nQ\nA\nB\n");
    EXPECT_EQ(Lines({"1: warning: the first line is blank, so the \"option:\" lines from line 2 "
                     "are read as questions and answers, not as options (the header must start "
                     "on the first line)",
                     "1: warning: question text is empty", " 3 questions, 0 errors, 2 warnings"}),
              result.out);
}

TEST_F(CheckCommand, EmptyQuestionTextIsAWarning) {
    const CRunResult result = Check("  \nAnswer\n");
    EXPECT_EQ(Lines({"1: warning: question text is empty", " 1 question, 0 errors, 1 warning"}),
              result.out);
}

TEST_F(CheckCommand, ThresholdThatIsIgnoredOrTooHighIsAWarning) {
    const CRunResult result = Check("option:PercentForCorrect: 0.8\noption:PercentForCorrect:x\n"
                                    "option:PercentForCorrect:-1\noption:PercentForCorrect:\n"
                                    "option:PercentForCorrect:1.5\noption:PercentForCorrect:1\n"
                                    "option:PercentForCorrect:\t0.5\nQ\nParis\n");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(
        Lines({"1: warning: \"PercentForCorrect:\" value is ignored: a space follows the colon",
               "2: warning: \"PercentForCorrect:\" value \"x\" is not a number and is ignored",
               "3: warning: \"PercentForCorrect:\" value \"-1\" is not above 0 and is ignored",
               "4: warning: \"PercentForCorrect:\" has no value and is ignored",
               "5: warning: \"PercentForCorrect:\" value \"1.5\" is above 1: no answer can then "
               "be right",
               " 1 question, 0 errors, 5 warnings"}),
        result.out);
}

TEST_F(CheckCommand, ThresholdInAnotherNumberFormIsAWarning) {
    const CRunResult result = Check("option:PercentForCorrect:0x0.8\noption:PercentForCorrect:inf\n"
                                    "option:PercentForCorrect:1e999\nQ\nParis\n");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(
        Lines({"1: warning: \"PercentForCorrect:\" value \"0x0.8\" is not above 0 and is ignored",
               "2: warning: \"PercentForCorrect:\" value \"inf\" is not a number and is ignored",
               "3: warning: \"PercentForCorrect:\" value \"1e999\" is too large and is ignored",
               " 1 question, 0 errors, 3 warnings"}),
        result.out);
}

TEST_F(CheckCommand, WarningsBeforeAFailureAreStillReported) {
    const CRunResult result = Check("option:PercentForCorrect:5\nQ\n");
    EXPECT_EQ(1, result.exitCode);
    EXPECT_EQ(Lines({"1: warning: \"PercentForCorrect:\" value \"5\" is above 1: no answer can "
                     "then be right",
                     "2: error: question without an answer block (the file ends after it): \"Q\"",
                     " 0 questions, 1 error, 1 warning"}),
              result.out);
}

TEST_F(CheckCommand, EveryFileIsCheckedOnItsOwnAndAnyFailureFailsTheRun) {
    const std::string ignore = m_dir.Write("ignore.txt", "the\n");
    const std::string first = m_dir.Write("first.txt", "option:DontIgnore:the\nQ\nThe\n");
    const std::string second = m_dir.Write("second.txt", "Q\nThe\n");
    const std::string missing = m_dir.File("missing.txt");
    const CRunResult result = Run({"--ignore-words", ignore, first, missing, second});
    EXPECT_EQ(1, result.exitCode);
    // The first file's option does not carry over to the second.
    EXPECT_EQ(first + ": 1 question, 0 errors, 0 warnings\n" + missing +
                  ": error: cannot read the file\n" + missing +
                  ": 0 questions, 1 error, 0 warnings\n" + second +
                  ":2: warning: expected answer \"The\" can never be matched: no words are left "
                  "once the ignore words are dropped\n" +
                  second + ": 1 question, 0 errors, 1 warning\n",
              result.out);
    EXPECT_EQ(0, Run({"--ignore-words", ignore, first, second}).exitCode);
}

TEST_F(CheckCommand, UsageErrorsExitWithTwo) {
    EXPECT_EQ(2, Run({}).exitCode);
    EXPECT_EQ(2,
              Run({"--ignore-words", m_dir.File("none"), m_dir.Write("q.txt", "Q\nA\n")}).exitCode);
}

TEST_F(CheckCommand, BundledExampleQuizzesPassWithoutWarnings) {
    const std::string ignore = TORVI_RES_DIR "/IgnoreW.TXT";
    for (const char* name : {"geography.txt", "spanish.txt", "french-cp1252.txt"}) {
        const std::string path = std::string(TORVI_RES_DIR "/quizzes/") + name;
        const CRunResult result = Run({"--ignore-words", ignore, path});
        EXPECT_EQ(0, result.exitCode) << name;
        EXPECT_NE(std::string::npos, result.out.find(" 0 errors, 0 warnings\n")) << result.out;
        EXPECT_EQ(1, std::count(result.out.begin(), result.out.end(), '\n')) << result.out;
    }
}
} // namespace
