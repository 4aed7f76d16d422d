// torvi-cli check: compiler-style errors and warnings about quiz files, a summary
// per file, and an exit status that says whether every file loads.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "check/quiz_checker.h"
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

TEST_F(CheckCommand, LettersBeyondAsciiAreAWarningNamingTheWordsJudged) {
    // The first answer says which line to add; later ones point back to it. An
    // answer left with no word gets this warning alone.
    const CRunResult result = Check("Q\nthe Stra\xc3\x9f"
                                    "e\nQ2\n\xd0\xba\xd0\xbe\xd1\x88\xd0\xba\xd0\xb0\n"
                                    "Q3\n\xc3\xa4 b c d e f g h\n");
    EXPECT_EQ(0, result.exitCode);
    EXPECT_EQ(
        Lines({"2: warning: expected answer \"the Stra\xc3\x9f"
               "e\" holds letters beyond A-Z, "
               "which the judge takes for spaces: it compares only \"Stra\" and \"e\"; make "
               "\"option:Words:Unicode\" the first line of the file to read words in every "
               "alphabet (or \"option:Accents:Optional\" to let accents be left out too)",
               "4: warning: expected answer \"\xd0\xba\xd0\xbe\xd1\x88\xd0\xba\xd0\xb0\" "
               "holds letters beyond A-Z: no typed answer can ever be right (see line 2 for the "
               "option line that reads them)",
               "6: warning: expected answer \"\xc3\xa4 b c d e f g h\" holds letters beyond "
               "A-Z: the judge compares only \"b\", \"c\", \"d\", \"e\", \"f\", \"g\" and 1 "
               "more (see line 2 for the option line that reads them)",
               " 3 questions, 0 errors, 3 warnings"}),
        result.out);
}

TEST_F(CheckCommand, AnswerWithoutAnyLetterBeyondAsciiNeedsNoWordOption) {
    // Quotation marks, dashes and spaces of other scripts separate words under
    // any rule.
    const CRunResult result = Check("Q\n\xc2\xabParis\xc2\xbb\xe2\x80\x94"
                                    "3\xc2\xa0"
                                    "4\n");
    EXPECT_EQ(Lines({" 1 question, 0 errors, 0 warnings"}), result.out);
}

TEST_F(CheckCommand, WindowsQuizIsReadInItsOwnEncoding) {
    // "l'\xe9cole" in Windows-1252: the \xe9 is a letter the ASCII rule loses.
    CRunResult result = Check("Q\nl'\xe9"
                              "cole\n");
    EXPECT_EQ(Lines({"2: warning: expected answer \"l'\xc3\xa9"
                     "cole\" holds letters beyond "
                     "A-Z, which the judge takes for spaces: it compares only \"l\" and "
                     "\"cole\"; make \"option:Words:Unicode\" the first line of the file to read "
                     "words in every alphabet (or \"option:Accents:Optional\" to let accents be "
                     "left out too)",
                     " 1 question, 0 errors, 1 warning"}),
              result.out);
    // Under a Unicode rule "\xe9" is a word of its own, and "the" is still dropped.
    result = Check("option:Words:Unicode\nQ\n\xe9\nQ2\nthe\n");
    EXPECT_EQ(Lines({"5: warning: expected answer \"the\" can never be matched: no words are "
                     "left once the ignore words are dropped",
                     " 2 questions, 0 errors, 1 warning"}),
              result.out);
}

TEST_F(CheckCommand, EitherWordOptionReadsTheLettersBeyondAscii) {
    const std::string answers = "Q\nStra\xc3\x9f"
                                "e\nQ2\n\xce\xb3\xce\xac\xcf\x84\xce\xb1\n";
    for (const char* header : {"option:Words:Unicode\n", "OPTION:accents:OPTIONAL \n",
                               "option:PercentForCorrect:0.5\noption:words:unicode\n"})
        EXPECT_EQ(Lines({" 2 questions, 0 errors, 0 warnings"}), Check(header + answers).out)
            << header;
    // An option that is not read as one leaves the answers to the ASCII rule.
    const CRunResult hidden = Check("\noption:Words:Unicode\n" + answers);
    EXPECT_NE(hidden.out.find(":4: warning: expected answer \"Stra\xc3\x9f"
                              "e\" holds letters"),
              std::string::npos)
        << hidden.out;
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
                  ": error: cannot read the file: No such file or directory\n" + missing +
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
