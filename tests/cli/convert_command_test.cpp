// torvi-cli convert: the formats told from names and content, the report on
// standard error, and an output file that never replaces, half-writes or
// writes through anything the user did not ask it to.
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cmd_check.h"
#include "cli/cmd_convert.h"
#include "cli/cmd_dump.h"
#include "cli_test_support.h"

namespace {
using cli_test::CRunResult;
using cli_test::CTempDir;
using cli_test::ReadFile;

constexpr CliCommandFactory kCommands[] = {MakeConvertCommand, MakeDumpCommand, MakeCheckCommand};

const char kVocabulary[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kvtml version=\"2.0\"><identifiers><identifier id=\"0\"><name>English</name>"
    "</identifier><identifier id=\"1\"><name>German</name></identifier></identifiers>"
    "<entries><entry id=\"0\"><translation id=\"0\"><text>apple</text></translation>"
    "<translation id=\"1\"><text>Apfel</text><comment>der</comment></translation></entry>"
    "<entry id=\"1\"><translation id=\"0\"><text>either/or</text></translation>"
    "<translation id=\"1\"><text>entweder/</text></translation></entry>"
    "<entry id=\"2\"><translation id=\"0\"><text>pear</text></translation></entry>"
    "</entries></kvtml>\n";

class ConvertCommand : public ::testing::Test {
protected:
    CRunResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"convert"};
        all.insert(all.end(), args.begin(), args.end());
        return cli_test::RunCli(kCommands, all);
    }
    // The names in the folder, so a file left behind is seen.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& item : std::filesystem::directory_iterator(m_dir.Path()))
            names.push_back(item.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    CTempDir m_dir;
};
} // namespace

TEST_F(ConvertCommand, VocabularyBecomesAQuizThatChecksWithTheReportOnStandardError) {
    const std::string input = m_dir.Write("words.kvtml", kVocabulary);
    const std::string output = m_dir.File("words.txt");
    const CRunResult r = Run({input, "-o", output});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, input + ": entry 1: skipped: an answer ends in '/' or '\\'\n" + input +
                         ": entry 2: skipped: nothing to answer\n" + input +
                         ": 1 question converted, 2 records skipped.\n");
    EXPECT_EQ(ReadFile(output), "apple\nApfel\n;der\n");
    const CRunResult check = cli_test::RunCli(kCommands, {"check", output});
    EXPECT_EQ(check.exitCode, 0) << check.out;

    // The vocabulary file is checked directly as well, its losses named.
    const CRunResult direct = cli_test::RunCli(kCommands, {"check", input});
    EXPECT_EQ(direct.exitCode, 0);
    EXPECT_NE(direct.out.find("entry 2: warning: left out: nothing to answer"), std::string::npos)
        << direct.out;
}

TEST_F(ConvertCommand, OutputFormatComesFromTheNameOrToAndDashIsStandardOutput) {
    const std::string quiz = m_dir.Write("quiz.txt", "Capital of Italy?\nRome\n");
    CRunResult r = Run({quiz, "-o", "-", "--to", "tsv"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Question\tAnswer\tOrdered\tComment\tExplanation\r\n"
                     "Capital of Italy?\tRome\t\t\t\r\n");
    // A quiz without a named output goes out as CSV.
    r = Run({quiz});
    EXPECT_EQ(r.out,
              "Question,Answer,Ordered,Comment,Explanation\r\nCapital of Italy?,Rome,,,\r\n");

    r = Run({quiz, "-o", m_dir.File("out.dat")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("give --to"), std::string::npos) << r.err;
    r = Run({quiz, "-o", m_dir.File("out.dat"), "--to", "kvtml"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(ReadFile(m_dir.File("out.dat")).find("<text>Rome</text>"), std::string::npos);
    r = Run({quiz, "--to", "pdf"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(ConvertCommand, QuizToSpreadsheetAndBackDumpsTheSame) {
    const std::string quiz = m_dir.Write(
        "quiz.txt", "option:PercentForCorrect:0.5\nName two,\\\nplease.\n>>a, b/\n\"c\"\n;"
                    "note; here\n~<html><body>x</body></html>\nSecond\n;first\n");
    const CRunResult withOption = Run({quiz, "-o", m_dir.File("quiz.csv")});
    ASSERT_EQ(withOption.exitCode, 0);
    EXPECT_NE(withOption.err.find(": 1 option line of the quiz (line 1 on) is not kept\n"),
              std::string::npos)
        << withOption.err;
    // The threshold of the header is the quiz file's own; a spreadsheet has no place for it.
    const std::string plain = m_dir.Write("plain.txt", ReadFile(quiz).substr(29));
    ASSERT_EQ(Run({plain, "-o", m_dir.File("plain.csv")}).exitCode, 0);
    const CRunResult back = Run({m_dir.File("plain.csv"), "-o", m_dir.File("back.txt")});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    const CRunResult a = cli_test::RunCli(kCommands, {"dump", plain});
    const CRunResult b = cli_test::RunCli(kCommands, {"dump", m_dir.File("back.txt")});
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out.find("\"ordered\":true"), std::string::npos);
}

TEST_F(ConvertCommand, ExistingOutputIsReplacedOnlyWithForceAndThroughARename) {
    const std::string input = m_dir.Write("words.kvtml", kVocabulary);
    const std::string output = m_dir.Write("words.txt", "my own quiz\nkeep\n");
    ASSERT_EQ(chmod(output.c_str(), 0640), 0);
    CRunResult r = Run({input, "-o", output});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "torvi-cli: '" + output + "' exists; --force replaces it\n");
    EXPECT_EQ(ReadFile(output), "my own quiz\nkeep\n");

    struct stat before {};
    ASSERT_EQ(stat(output.c_str(), &before), 0);
    r = Run({input, "-o", output, "--force"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(ReadFile(output), "apple\nApfel\n;der\n");
    struct stat after {};
    ASSERT_EQ(stat(output.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino); // a new file, renamed over the old one
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(Listing(), (std::vector<std::string>{"words.kvtml", "words.txt"}));
}

TEST_F(ConvertCommand, InputIsNeverTheOutputByAnotherNameEvenWithForce) {
    const std::string input = m_dir.Write("quiz.txt", "option:PercentForCorrect:0.9\nq\na\n");
    const std::string other = m_dir.File("other.txt");
    ASSERT_EQ(link(input.c_str(), other.c_str()), 0);
    for (const std::string& output : {m_dir.Path() + "/./quiz.txt", other}) {
        const CRunResult r = Run({input, "-o", output, "--force", "--to", "quiz"});
        EXPECT_EQ(r.exitCode, 2) << output;
        EXPECT_EQ(r.err, "torvi-cli: the output would replace the input\n") << output;
    }
    EXPECT_EQ(ReadFile(input), "option:PercentForCorrect:0.9\nq\na\n");
}

TEST_F(ConvertCommand, NothingIsWrittenThroughALinkOrLeftBehindOnFailure) {
    const std::string input = m_dir.Write("words.kvtml", kVocabulary);
    const std::string target = m_dir.Write("target.txt", "precious\n");
    const std::string link = m_dir.File("link.txt");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    CRunResult r = Run({input, "-o", link, "--force"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("symbolic link"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(target), "precious\n");

    // A file that does not convert: one line, no output, no temporary file.
    const std::string broken = m_dir.Write("broken.kvtml", std::string(kVocabulary).substr(0, 200));
    r = Run({broken, "-o", m_dir.File("out.txt")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("not well-formed XML"), std::string::npos) << r.err;

    // A folder that is not there: the reason, and nothing made anywhere.
    r = Run({input, "-o", m_dir.File("missing") + "/words.txt"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("cannot create a file beside"), std::string::npos) << r.err;
    EXPECT_EQ(Listing(),
              (std::vector<std::string>{"broken.kvtml", "link.txt", "target.txt", "words.kvtml"}));
}

TEST_F(ConvertCommand, SpreadsheetOptionsChooseSeparatorHeaderAndColumns) {
    const std::string sheet = m_dir.Write("sheet.csv", "Wort|Bedeutung|Notiz\nHund|dog|animal\n");
    const CRunResult r = Run({sheet, "--separator", "pipe", "--header", "--question-column", "2",
                              "--answer-column", "Wort", "--comment-column", "Notiz"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "dog\nHund\n;animal\n");
    EXPECT_EQ(Run({sheet, "--separator", "\"\""}).exitCode, 2);
}

// The browser player is looked for among the support files of the running
// program; this test program has none beside it, so the page cannot be made,
// and the command says why and leaves nothing behind.
TEST_F(ConvertCommand, AWebPageWithoutThePlayerIsRefusedAndNothingIsWritten) {
    const std::string quiz = m_dir.Write("quiz.txt", "Capital of Italy?\nRome\n");
    const std::vector<std::string> before = Listing();
    for (const char* name : {"quiz.html", "quiz.htm"}) {
        const CRunResult r = Run({quiz, "-o", m_dir.File(name)});
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("The browser player is not installed"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Listing(), before);
}

// A spreadsheet in another alphabet is judged in it: the quiz starts with the
// option line that reads its words, or, asked for, the one that also lets
// accents be left out; an output without option lines refuses the request.
TEST_F(ConvertCommand, SpreadsheetInAnotherAlphabetIsJudgedInItsOwnLetters) {
    const std::string input =
        m_dir.Write("russian.csv", "house,\xD0\xB4\xD0\xBE\xD0\xBC\nsign,?\n");
    CRunResult r = Run({input});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "option:Words:Unicode\nhouse\n\xD0\xB4\xD0\xBE\xD0\xBC\nsign\n?\n");
    EXPECT_EQ(r.err, input +
                         ": option:Words:Unicode is written first, so that 1 expected answer "
                         "with letters beyond A-Z is judged in its own script\n" +
                         input +
                         ": 1 expected answer without a letter or a digit in any script can "
                         "never be answered right: the judge compares words only\n" +
                         input + ": 2 questions converted.\n");

    EXPECT_EQ(
        Run({input, "--accents", "Optional"}).out.rfind("option:Accents:Optional\nhouse\n", 0), 0u);
    r = Run({input, "--accents", "sometimes"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("'sometimes' is neither optional nor required"), std::string::npos);
    r = Run({input, "--accents", "optional", "-o", m_dir.File("out.kvtml")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("kvtml has no place for it"), std::string::npos) << r.err;
}

// A quiz converted into a quiz keeps its option header, read in its own
// encoding and written in UTF-8 like the rest.
TEST_F(ConvertCommand, QuizWrittenAgainAsAQuizKeepsItsOptionLines) {
    const std::string quiz = m_dir.Write(
        "latin.txt",
        "option:PercentForCorrect:0.5\noption:DontIgnore:caf\xE9\nDrink?\ncaf\xE9 noir\n");
    const CRunResult r = Run({quiz, "--to", "quiz", "--accents", "optional"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "option:Accents:Optional\noption:PercentForCorrect:0.5\n"
                     "option:DontIgnore:caf\xC3\xA9\nDrink?\ncaf\xC3\xA9 noir\n");
    EXPECT_EQ(r.err, quiz + ": 1 question converted.\n");
}

// Random bytes are no spreadsheet, flashcard export or vocabulary file, whatever
// the name: each is refused with the one line a file that does not convert
// gets, and nothing is written, to a file or to standard output.
TEST_F(ConvertCommand, BinaryFileIsRefusedWithOneLineUnderAnyName) {
    std::mt19937 random(65537);
    std::string noise(4096, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    ASSERT_NE(noise.find('\0'), std::string::npos);
    const std::pair<const char*, std::string> files[] = {
        {"data.csv", noise},
        {"data.tsv", noise},
        {"cards.txt", "#separator:tab\n#html:true\n" + noise},
        {"words.kvtml", noise},
    };
    for (const auto& [name, bytes] : files) {
        const std::string input = m_dir.Write(name, bytes);
        const std::vector<std::string> before = Listing();
        for (const std::string& output : {m_dir.File("out.txt"), std::string("-")}) {
            const CRunResult r = Run({input, "-o", output});
            EXPECT_EQ(r.exitCode, 1) << name << ": " << r.err;
            EXPECT_EQ(r.err,
                      "torvi-cli: " + input + ": the file is not text (it holds NUL characters)\n");
            EXPECT_EQ(r.out, "");
        }
        EXPECT_EQ(Listing(), before);
        // The author's check says the same of it.
        const CRunResult check = cli_test::RunCli(kCommands, {"check", input});
        EXPECT_EQ(check.exitCode, 1);
        EXPECT_NE(check.out.find("the file is not text"), std::string::npos) << check.out;
    }
}

// Texts a spreadsheet could take for formulas, and texts that begin with the
// apostrophe that guards them, dump the same after a trip through CSV and TSV.
TEST_F(ConvertCommand, FormulaLikeTextsComeBackFromASpreadsheetAsTheyWere) {
    std::string text;
    for (const char* t : {"'", "''=", "'=", "-5", "+1", "@home", "=1+1", "'-", "'@x", "it's", "="})
        text += std::string(t) + "\n" + t + "\n;" + t + "\n~" + t + "\n";
    text += "Tab?\nx\n;\tindented\n";
    const std::string quiz = m_dir.Write("quiz.txt", text);
    const CRunResult original = cli_test::RunCli(kCommands, {"dump", quiz});
    ASSERT_EQ(original.exitCode, 0) << original.err;
    for (const char* sheet : {"quiz.csv", "quiz.tsv"}) {
        ASSERT_EQ(Run({quiz, "-o", m_dir.File(sheet), "--force"}).exitCode, 0);
        const CRunResult back = Run({m_dir.File(sheet), "-o", m_dir.File("back.txt"), "--force"});
        ASSERT_EQ(back.exitCode, 0) << back.err;
        EXPECT_EQ(cli_test::RunCli(kCommands, {"dump", m_dir.File("back.txt")}).out, original.out)
            << ReadFile(m_dir.File(sheet));
    }
    EXPECT_NE(ReadFile(m_dir.File("quiz.csv")).find("\"'=1+1\",\"'=1+1\",,\"'=1+1\""),
              std::string::npos);
}
