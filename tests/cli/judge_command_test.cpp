// torvi-cli judge: the JSON object, the readable report, exit codes and usage errors.
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/cmd_judge.h"
#include "cli_test_support.h"
#include "judge/answer_judge.h"

using cli_test::CCurrentDirectory;
using cli_test::CRunResult;
using cli_test::CTempDir;
using Words = std::vector<std::string>;

namespace {
constexpr CliCommandFactory kCommands[] = {MakeJudgeCommand};

// Each test runs in a folder of its own, so no stray IgnoreW.TXT takes part.
class JudgeCommand : public ::testing::Test {
protected:
    JudgeCommand() : m_cwd(m_dir.Path()) {}

    CRunResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> full = {"judge"};
        full.insert(full.end(), args.begin(), args.end());
        return cli_test::RunCli(kCommands, full);
    }

    // Runs with --json and checks that stdout holds exactly one object on one line.
    nlohmann::ordered_json RunJson(std::vector<std::string> args, int expectedExit) {
        args.insert(args.begin(), "--json");
        const CRunResult result = Run(args);
        EXPECT_EQ(result.exitCode, expectedExit) << result.err;
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(result.out.find('\n'), result.out.size() - 1);
        return nlohmann::ordered_json::parse(result.out);
    }

    void ExpectUsageError(const std::vector<std::string>& args) {
        const CRunResult result = Run(args);
        EXPECT_EQ(result.exitCode, kExitUsage);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("torvi-cli: ", 0), 0u) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }

    std::string IgnoreFile() { return m_dir.Write("ignore.txt", "the\nof\na\n"); }

    CTempDir m_dir;
    CCurrentDirectory m_cwd;
};
} // namespace

TEST_F(JudgeCommand, JsonObjectHoldsTheContractFieldsInOrder) {
    const auto json = RunJson(
        {"--ignore-words", IgnoreFile(), "The Battle of Hastings", "battle of hastings"}, 0);
    std::vector<std::string> keys;
    for (const auto& item : json.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (Words{"right", "share", "threshold", "typed_words", "expected_words",
                           "remaining_words", "found", "words", "accents"}));
    EXPECT_EQ(json["right"], true);
    EXPECT_EQ(json["share"], 1.0);
    EXPECT_EQ(json["threshold"], 0.65);
    EXPECT_EQ(json["typed_words"], (Words{"battle", "of", "hasting"}));
    EXPECT_EQ(json["expected_words"], (Words{"The", "Battle", "of", "Hasting"}));
    EXPECT_EQ(json["remaining_words"], (Words{"Battle", "Hasting"}));
    EXPECT_EQ(json["found"], 2);
    EXPECT_EQ(json["words"], "ascii");
    EXPECT_EQ(json["accents"], "required");
}

TEST_F(JudgeCommand, WorkedExampleVerdictsAndShares) {
    const std::string ignore = IgnoreFile();
    struct CCase {
        const char* expected;
        const char* typed;
        bool right;
        double share;
        int found;
    };
    const CCase cases[] = {
        {"The Battle of Hastings", "Hastings", false, 0.5, 1},
        {"The Battle of Hastings", "the hastings battle, 1066", true, 1.0, 2},
        {"red green blue", "blue red", true, 2.0 / 3.0, 2},
        {"red green blue", "red", false, 1.0 / 3.0, 1},
    };
    for (const CCase& c : cases) {
        const auto json = RunJson({"--ignore-words", ignore, c.expected, c.typed}, c.right ? 0 : 1);
        EXPECT_EQ(json["right"], c.right) << c.typed;
        EXPECT_EQ(json["share"].get<double>(), c.share) << c.typed;
        EXPECT_EQ(json["found"], c.found) << c.typed;
    }
}

TEST_F(JudgeCommand, VerdictIsTheJudgesOnTheEdgeCases) {
    const std::string ignore = IgnoreFile();
    CAnswerJudge judge(ignore.c_str());
    const std::pair<const char*, const char*> cases[] = {
        {"Paris", "PARIS"},
        {"cat", "cats"},
        {"bus", "buses"},
        {"caf\xc3\xa9", "cafe"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"Paris (France)", "Paris France"},
        {"Paris (France)", "Paris (France)"},
        {"3.14", "3 14"},
        {"3.14", "314"},
        {"Paris", "Paris London Berlin"},
        {"The", "The"},
        {"the Who the", "Who"},
    };
    for (const auto& [expected, typed] : cases) {
        const CRunResult result = Run({"--ignore-words", ignore, expected, typed});
        EXPECT_EQ(result.exitCode, judge.IsCorrect(typed, expected) ? 0 : 1)
            << expected << " / " << typed;
    }
}

TEST_F(JudgeCommand, VerdictIsTheJudgesUnderEveryWordRule) {
    const std::string ignore = m_dir.Write("ignore.txt", "the\n\xd0\xb8\n");
    const std::pair<const char*, EWordRule> rules[] = {
        {"--words=ascii", EWordRule::Ascii},
        {"--words=unicode", EWordRule::Unicode},
        {"--accents=optional", EWordRule::UnicodeWithoutAccents}};
    const std::pair<const char*, const char*> cases[] = {
        {"Stra\xc3\x9f"
         "e",
         "STRASSE"},
        {"Stra\xc3\x9f"
         "e",
         "stra e"},
        {"caf\xc3\xa9", "cafe"},
        {"caf\xc3\xa9", "CAF\xc3\x89"},
        {"\xd0\xba\xd0\xbe\xd1\x88\xd0\xba\xd0\xb0", "\xd0\x9a\xd0\x9e\xd0\xa8\xd0\x9a\xd0\x90"},
        {"\xd0\xba\xd0\xbe\xd1\x82 \xd0\xb8 \xd0\xbf\xd1\x91\xd1\x81", "\xd0\xba\xd0\xbe\xd1\x82"},
        {"\xef\xac\x81le", "file"},
        {"the cats", "cat"},
        {"\xce\x9f\xce\xb4\xcf\x85\xcf\x83\xcf\x83\xce\xad\xce\xb1\xcf\x82",
         "\xce\xbf\xce\xb4\xcf\x85\xcf\x83\xcf\x83\xce\xb5\xce\xb1\xcf\x83"},
    };
    for (const auto& [option, rule] : rules) {
        CAnswerJudge judge(ignore.c_str());
        judge.wordRule = rule;
        for (const auto& [expected, typed] : cases) {
            const CRunResult result = Run({option, "--ignore-words", ignore, expected, typed});
            EXPECT_EQ(result.exitCode, judge.IsCorrect(typed, expected) ? 0 : 1)
                << option << ": " << expected << " / " << typed;
        }
    }
}

TEST_F(JudgeCommand, UnicodeWordsAreComparedInTheirFoldedForm) {
    auto json = RunJson({"--words", "unicode",
                         "Stra\xc3\x9f"
                         "e",
                         "STRASSE"},
                        0);
    EXPECT_EQ(json["expected_words"], Words{"strasse"});
    EXPECT_EQ(json["typed_words"], Words{"strasse"});
    EXPECT_EQ(json["words"], "unicode");
    EXPECT_EQ(json["accents"], "required");
    // Without the option the same pair is two words against one.
    json = RunJson({"Stra\xc3\x9f"
                    "e",
                    "STRASSE"},
                   1);
    EXPECT_EQ(json["expected_words"], (Words{"Stra", "e"}));
    // Accents left out: the words lose them, and the rule reads unicode words.
    json = RunJson({"--accents", "Optional",
                    "Cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
                    "e",
                    "creme brulee"},
                   0);
    EXPECT_EQ(json["expected_words"], (Words{"creme", "brulee"}));
    EXPECT_EQ(json["words"], "unicode");
    EXPECT_EQ(json["accents"], "optional");
    RunJson({"--words", "UNICODE", "Cr\xc3\xa8me", "creme"}, 1);
    RunJson({"--words", "unicode", "--accents", "optional", "Cr\xc3\xa8me", "creme"}, 0);
}

TEST_F(JudgeCommand, ExpectedAnswerThatIsNotUtf8IsReadAsWindows1252) {
    // A Windows-1252 quiz's "caf\xe9" is "caf\xc3\xa9" to the judge.
    auto json = RunJson({"--words", "unicode", "caf\xe9", "CAF\xc3\x89"}, 0);
    EXPECT_EQ(json["expected_words"], Words{"caf\xc3\xa9"});
    json = RunJson({"--accents", "optional", "\xc9t\xe9", "ete"}, 0);
    EXPECT_EQ(json["expected_words"], Words{"ete"});
}

TEST_F(JudgeCommand, ReportNamesTheWordRule) {
    CRunResult result = Run({"--words", "unicode",
                             "Stra\xc3\x9f"
                             "e",
                             "STRASSE"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("Expected words:  strasse\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Typed words:     strasse\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Words:           unicode (letters and digits of every alphabet)\n"),
              std::string::npos)
        << result.out;
    result = Run({"--accents", "optional", "caf\xc3\xa9", "cafe"});
    EXPECT_NE(result.out.find("Words:           unicode, accents optional\n"), std::string::npos)
        << result.out;
    result = Run({"caf\xc3\xa9", "cafe"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Words:           ascii (letters A-Z and digits only)\n"),
              std::string::npos)
        << result.out;
}

TEST_F(JudgeCommand, ShareIsNullWhenNoExpectedWordRemains) {
    const auto json = RunJson({"--ignore-words", IgnoreFile(), "The", "The"}, 1);
    EXPECT_EQ(json["right"], false);
    EXPECT_TRUE(json["share"].is_null());
    EXPECT_EQ(json["expected_words"], Words{"The"});
    EXPECT_EQ(json["remaining_words"], Words{});
    EXPECT_EQ(json["found"], 0);
}

TEST_F(JudgeCommand, ReadsIgnoreWFromTheCurrentDirectoryByDefault) {
    EXPECT_EQ(RunJson({"The End", "end"}, 1)["remaining_words"], (Words{"The", "End"}));
    m_dir.Write("IgnoreW.TXT", "THE\r\n");
    EXPECT_EQ(RunJson({"The End", "end"}, 0)["remaining_words"], Words{"End"});
    // An explicit file replaces the default one.
    const std::string other = m_dir.Write("other.txt", "end\n");
    EXPECT_EQ(RunJson({"--ignore-words", other, "The End", "the"}, 0)["remaining_words"],
              Words{"The"});
}

TEST_F(JudgeCommand, DefaultIgnoreFileThatIsAFolderMeansNoIgnoreWords) {
    std::filesystem::create_directory(m_dir.File("IgnoreW.TXT"));
    EXPECT_EQ(RunJson({"The End", "end"}, 1)["remaining_words"], (Words{"The", "End"}));
}

TEST_F(JudgeCommand, ThresholdOptionSetsTheShareNeeded) {
    auto json = RunJson({"--threshold", "0.5", "red blue", "red"}, 0);
    EXPECT_EQ(json["threshold"], 0.5);
    EXPECT_EQ(json["share"], 0.5);
    RunJson({"--threshold=80", "red blue", "red blue"}, 1);
    RunJson({"--threshold", "1", "red blue", "blue red"}, 0);
}

TEST_F(JudgeCommand, ReportShowsWordsShareAndThreshold) {
    const CRunResult result =
        Run({"--ignore-words", IgnoreFile(), "The Battle of Hastings", "Hastings"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "");
    const std::string& out = result.out;
    EXPECT_NE(out.find("Verdict:         wrong\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Expected words:  The Battle of Hasting\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Ignored:         The of\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Remaining words: Battle Hasting\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Found:           Hasting\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Not found:       Battle\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Typed words:     Hasting\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Share:           1 of 2 = 0.5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Threshold:       0.65\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Ignore list:     " + IgnoreFile() + " (3 entries)\n"), std::string::npos)
        << out;
}

TEST_F(JudgeCommand, ReportSaysWhenNothingIsLeftToFind) {
    const CRunResult result = Run({"...", "anything"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("Verdict:         wrong\n"), std::string::npos);
    EXPECT_NE(result.out.find("Remaining words: (none)\n"), std::string::npos);
    EXPECT_NE(result.out.find("Share:           none"), std::string::npos);
    EXPECT_NE(result.out.find("Ignore list:     none\n"), std::string::npos);
}

TEST_F(JudgeCommand, AnswersBeginningWithAHyphenFollowDoubleDash) {
    EXPECT_EQ(Run({"--", "-5 degrees", "-5 degrees"}).exitCode, 0);
}

TEST_F(JudgeCommand, ThresholdThatIsNotANumberAboveZeroIsAUsageError) {
    for (const char* bad : {"0", "-0.5", "abc", "", "0.5x", "nan", "inf", " 0.5", "1e999"})
        ExpectUsageError({"--threshold", bad, "red", "red"});
}

TEST_F(JudgeCommand, WordRuleThatIsNotOneOfTheNamesIsAUsageError) {
    ExpectUsageError({"--words", "latin", "red", "red"});
    ExpectUsageError({"--words", "", "red", "red"});
    ExpectUsageError({"--accents", "maybe", "red", "red"});
    ExpectUsageError({"--words", "ascii", "--accents", "optional", "red", "red"});
    ExpectUsageError({"red", "red", "--words"});
    // Accents required go with either rule.
    EXPECT_EQ(Run({"--words", "ascii", "--accents", "required", "red", "red"}).exitCode, 0);
}

TEST_F(JudgeCommand, UnreadableIgnoreFileIsAUsageError) {
    ExpectUsageError({"--ignore-words", m_dir.File("absent.txt"), "red", "red"});
    ExpectUsageError({"--ignore-words", m_dir.Path(), "red", "red"});
    ExpectUsageError({"--ignore-words", "", "red", "red"});
}

TEST_F(JudgeCommand, BadCommandLinesAreUsageErrors) {
    ExpectUsageError({});
    ExpectUsageError({"red"});
    ExpectUsageError({"red", "red", "extra"});
    ExpectUsageError({"--bogus", "red", "red"});
    ExpectUsageError({"--threshold"});
    ExpectUsageError({"red", "red", "--ignore-words"});
}

TEST_F(JudgeCommand, MissingOrUnknownCommandIsAUsageError) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"jduge", "a", "b"}}) {
        const CRunResult result = cli_test::RunCli(kCommands, args);
        EXPECT_EQ(result.exitCode, kExitUsage);
        EXPECT_EQ(result.err.rfind("torvi-cli: ", 0), 0u) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
}

TEST_F(JudgeCommand, HelpDescribesEveryOption) {
    const CRunResult result = Run({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    for (const char* name :
         {"--ignore-words", "--threshold", "--words", "--accents", "--json", "EXPECTED", "TYPED",
          "IgnoreW.TXT", "0.65", "option:Words:Unicode", "option:Accents:Optional", "Exit status"})
        EXPECT_NE(result.out.find(name), std::string::npos) << name << "\n" << result.out;

    const CRunResult top = cli_test::RunCli(kCommands, {"--help"});
    EXPECT_EQ(top.exitCode, 0);
    EXPECT_NE(top.out.find("judge"), std::string::npos) << top.out;
}
