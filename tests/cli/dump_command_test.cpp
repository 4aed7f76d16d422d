// torvi-cli dump: one JSON object with the loaded quiz, or why it did not load.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cmd_dump.h"
#include "cli_test_support.h"

namespace {
using cli_test::CRunResult;
using cli_test::CTempDir;
// Parsed keeping the order of the fields as written.
using json = nlohmann::ordered_json;

constexpr CliCommandFactory kDump[] = {MakeDumpCommand};

class DumpCommand : public ::testing::Test {
protected:
    CRunResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> all = {"dump"};
        all.insert(all.end(), args.begin(), args.end());
        return cli_test::RunCli(kDump, all);
    }
    std::string IgnoreFile() { return m_dir.Write("ignore.txt", "the\nof\na\n"); }

    // Runs dump on the quiz text with the small ignore list; the one line of
    // output must be a JSON object.
    json Dump(const std::string& quiz, int expectedExit = 0) {
        const CRunResult result =
            Run({"--ignore-words", IgnoreFile(), m_dir.Write("quiz.txt", quiz)});
        EXPECT_EQ(expectedExit, result.exitCode) << result.err;
        EXPECT_EQ(1, std::count(result.out.begin(), result.out.end(), '\n')) << result.out;
        return json::parse(result.out);
    }

    CTempDir m_dir;
};

TEST_F(DumpCommand, WorkedExampleGivesTheContractFieldsInOrder) {
    const json quiz =
        Dump("option:PercentForCorrect:0.8\noption:DontIgnore:the\n\n"
             "What is the capital of France?\nParis\n;Paris lies on the Seine.\n"
             "~<html><body>Capital.</body></html>\n"
             "Name the primary colours of light,\\\nin any order.\nred/\ngreen/\nblue\n"
             "Give the first three letters of the alphabet.\n>>a/\nb/\nc");
    std::vector<std::string> keys;
    for (const auto& item : quiz.items())
        keys.push_back(item.key());
    EXPECT_EQ(std::vector<std::string>({"ok", "threshold", "ignore_words", "questions"}), keys);
    EXPECT_EQ(true, quiz["ok"]);
    EXPECT_DOUBLE_EQ(0.8, quiz["threshold"].get<double>());
    EXPECT_EQ(json({"of", "a"}), quiz["ignore_words"]);
    ASSERT_EQ(3u, quiz["questions"].size());

    const json& first = quiz["questions"][0];
    keys.clear();
    for (const auto& item : first.items())
        keys.push_back(item.key());
    EXPECT_EQ(std::vector<std::string>({"text", "answers", "comment", "explanation", "ordered"}),
              keys);
    EXPECT_EQ("What is the capital of France?", first["text"]);
    EXPECT_EQ(json({"Paris"}), first["answers"]);
    EXPECT_EQ("Paris lies on the Seine.", first["comment"]);
    EXPECT_EQ("<html><body>Capital.</body></html>", first["explanation"]);
    EXPECT_EQ(false, first["ordered"]);

    EXPECT_EQ("Name the primary colours of light,\nin any order.", quiz["questions"][1]["text"]);
    EXPECT_EQ(json({"red", "green", "blue"}), quiz["questions"][1]["answers"]);
    EXPECT_EQ("", quiz["questions"][1]["comment"]);
    EXPECT_EQ(true, quiz["questions"][2]["ordered"]);
}

TEST_F(DumpCommand, ThresholdIsAlwaysANumber) {
    for (const char* value : {"inf", "1e999", "0x0.8", "nan"}) {
        const json quiz = Dump(std::string("option:PercentForCorrect:") + value + "\nQ\nA\n");
        ASSERT_TRUE(quiz["threshold"].is_number()) << value << ": " << quiz.dump();
        EXPECT_DOUBLE_EQ(0.65, quiz["threshold"].get<double>()) << value;
    }
}

TEST_F(DumpCommand, ByteOrderMarkOfAUtf8QuizIsNotText) {
    const json quiz = Dump("\xEF\xBB\xBFoption:PercentForCorrect:0.8\nCaf\xC3\xA9?\nOui\n");
    EXPECT_DOUBLE_EQ(0.8, quiz["threshold"].get<double>());
    ASSERT_EQ(1u, quiz["questions"].size());
    EXPECT_EQ("Caf\xC3\xA9?", quiz["questions"][0]["text"]);
}

TEST_F(DumpCommand, EmptyQuizIsAnObjectWithNoQuestions) {
    const json quiz = Dump("");
    EXPECT_EQ(true, quiz["ok"]);
    EXPECT_DOUBLE_EQ(0.65, quiz["threshold"].get<double>());
    EXPECT_TRUE(quiz["questions"].is_array());
    EXPECT_TRUE(quiz["questions"].empty());
}

TEST_F(DumpCommand, LoadFailureNamesTheFailureLineAndFirstLine) {
    const json quiz = Dump("Q1\nA1\n\nWhich tag?\nsee <HTML> here\n", 1);
    EXPECT_EQ(json::object({{"ok", false},
                            {"error", "line 5: answer block contains \"<html>\": \"see <HTML> "
                                      "here\""}}),
              quiz);
    const json missing = Dump("Q1\nA1\nDangling question", 1);
    EXPECT_EQ("line 3: question without an answer block (the file ends after it): \"Dangling "
              "question\"",
              missing["error"]);
    const json comment = Dump("Q1\nA1\n;<html>\n", 1);
    EXPECT_EQ("line 3: comment block contains \"<html>\": \";<html>\"", comment["error"]);
}

TEST_F(DumpCommand, UnreadableQuizIsALoadFailure) {
    const CRunResult result = Run({"--ignore-words", IgnoreFile(), m_dir.File("none.txt")});
    EXPECT_EQ(1, result.exitCode);
    const json quiz = json::parse(result.out);
    EXPECT_EQ(false, quiz["ok"]);
    EXPECT_NE(std::string::npos, quiz["error"].get<std::string>().find("cannot read the file"));
}

TEST_F(DumpCommand, Windows1252TextIsConvertedAndUtf8PassesThrough) {
    const json latin = Dump("Caf\xe9?\n\xe9t\xe9\n;\x93quoted\x94\n");
    EXPECT_EQ("Caf\xc3\xa9?", latin["questions"][0]["text"]);
    EXPECT_EQ(json({"\xc3\xa9t\xc3\xa9"}), latin["questions"][0]["answers"]);
    EXPECT_EQ("\xe2\x80\x9cquoted\xe2\x80\x9d", latin["questions"][0]["comment"]);
    const json utf8 = Dump("\xc2\xbf"
                           "Caf\xc3\xa9?\n\xe2\x82\xac\n");
    EXPECT_EQ("\xc2\xbf"
              "Caf\xc3\xa9?",
              utf8["questions"][0]["text"]);
    EXPECT_EQ(json({"\xe2\x82\xac"}), utf8["questions"][0]["answers"]);
}

TEST_F(DumpCommand, NulBytesSurviveAsJsonEscapes) {
    const json quiz = Dump(std::string("Q\0x\nA\n", 6));
    EXPECT_EQ(std::string("Q\0x", 3), quiz["questions"][0]["text"].get<std::string>());
}

TEST_F(DumpCommand, IgnoreListComesFromTheCurrentDirectoryByDefault) {
    m_dir.Write("IgnoreW.TXT", "zebra\nthe\n");
    const std::string quiz = m_dir.Write("quiz.txt", "option:DontIgnore:THE\nQ\nA\n");
    cli_test::CCurrentDirectory here(m_dir.Path());
    ASSERT_TRUE(here.Changed());
    const CRunResult result = Run({quiz});
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(json({"zebra"}), json::parse(result.out)["ignore_words"]);
}

TEST_F(DumpCommand, UsageErrorsExitWithTwo) {
    EXPECT_EQ(2, Run({}).exitCode);
    EXPECT_EQ(2, Run({"a.txt", "b.txt"}).exitCode);
    const CRunResult badIgnore =
        Run({"--ignore-words", m_dir.File("none"), m_dir.Write("q.txt", "Q\nA\n")});
    EXPECT_EQ(2, badIgnore.exitCode);
    EXPECT_TRUE(badIgnore.out.empty());
    EXPECT_NE(std::string::npos, badIgnore.err.find("ignore-word file"));
}
} // namespace
