// Where the built tool finds its ignore-word list: the current folder first, then
// the program's support folder (beside it, or share/torvi when installed); and a
// list that is not a regular file is never waited on (RunScript kills a tool that
// hangs).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/cli_common.h"
#include "cli_test_support.h"

using cli_test::CRunResult;
using cli_test::CTempDir;

namespace {

// "the" and "of" decide the verdict: "city Paris" is right only when both are ignored.
const std::string kJudgeCity = "\"$CLI\" judge 'the city of Paris' 'city Paris'\n";

std::string ListLine(const std::string& file, int entries) {
    return "Ignore list:     " + file + " (" + std::to_string(entries) + " entries)\n";
}

// A copy of the built tool laid out as installed, started from a folder of its own.
class InstalledCopy : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_prefix.File("bin"));
        std::filesystem::create_directories(m_prefix.File("share/torvi"));
        std::filesystem::copy_file(cli_test::BuiltCli(), m_prefix.File("bin/torvi-cli"));
        m_prefix.Write("share/torvi/Welcome.htm", "<p>Welcome</p>");
        m_prefix.Write("share/torvi/IgnoreW.TXT", "the\r\nof\r\n");
    }
    CRunResult RunHere(const std::string& script) const {
        return cli_test::RunScript("CLI='" + m_prefix.File("bin/torvi-cli") + "'\ncd '" +
                                   m_work.Path() + "'\n" + script);
    }

    CTempDir m_prefix;
    CTempDir m_work;
};

} // namespace

TEST_F(InstalledCopy, ListComesFromTheCurrentFolderElseTheSharedFolder) {
    CRunResult result = RunHere(kJudgeCity);
    EXPECT_EQ(result.exitCode, kExitSuccess) << result.out << result.err;
    EXPECT_NE(result.out.find(ListLine(m_prefix.File("share/torvi/IgnoreW.TXT"), 2)),
              std::string::npos)
        << result.out;

    m_work.Write("IgnoreW.TXT", "a\n");
    result = RunHere(kJudgeCity);
    EXPECT_EQ(result.exitCode, kExitFailure);
    EXPECT_NE(result.out.find(ListLine("IgnoreW.TXT", 1)), std::string::npos) << result.out;
}

TEST_F(InstalledCopy, NamedPipeInTheCurrentFolderCountsAsNoList) {
    m_work.Write("quiz.txt", "Which city?\nthe city of Paris\n");
    CRunResult result = RunHere("mkfifo IgnoreW.TXT || exit 99\n" + kJudgeCity);
    EXPECT_EQ(result.exitCode, kExitSuccess) << result.out << result.err;
    EXPECT_EQ(result.err, "");
    result = RunHere("echo 'city Paris' | \"$CLI\" run --no-sound quiz.txt");
    EXPECT_EQ(result.exitCode, kExitSuccess) << result.err;
    EXPECT_NE(result.out.find("You got 1/1 right."), std::string::npos) << result.out;
}

TEST(IgnoreListBinary, NamedPipeOrDeviceGivenAsTheListIsAUsageError) {
    const CTempDir work;
    work.Write("quiz.txt", "Which city?\nthe city of Paris\n");
    for (const std::string list : {"words.fifo", "/dev/null"}) {
        for (const std::string& command :
             {"judge --ignore-words " + list + " a a",
              "run --no-sound --ignore-words " + list + " quiz.txt </dev/null"}) {
            const CRunResult result = cli_test::RunScript(
                "cd '" + work.Path() + "'\n[ -p words.fifo ] || mkfifo words.fifo\n\"$CLI\" " +
                command + "\n");
            EXPECT_EQ(result.exitCode, kExitUsage) << command;
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(result.err, "torvi-cli: cannot read the ignore-word file '" + list +
                                      "': it is not a regular file\n")
                << command;
        }
    }
}
