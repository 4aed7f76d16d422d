// What `torvi-cli convert --force` does to the file it replaces: the real
// program, stopped at every system call of its write in turn and killed there,
// leaves the old quiz whole or the new one and nothing beside it; and a quiz
// shared through its group stays in that group.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#include "cli_test_support.h"
#include "support/syscall_stops.h"

namespace {
// Enough words that the quiz takes more than one write.
std::string Vocabulary() {
    std::string text = "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><identifiers>"
                       "<identifier id=\"0\"><name>English</name></identifier>"
                       "<identifier id=\"1\"><name>German</name></identifier></identifiers>"
                       "<entries>";
    for (int i = 0; i < 3000; ++i)
        text += "<entry id=\"" + std::to_string(i) + "\"><translation id=\"0\"><text>word" +
                std::to_string(i) + "</text></translation><translation id=\"1\"><text>Wort" +
                std::to_string(i) + "</text></translation></entry>";
    return text + "</entries></kvtml>\n";
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& item : std::filesystem::directory_iterator(folder))
        names.push_back(item.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

constexpr char kOld[] = "my own quiz\nkeep\n";
} // namespace

TEST(ConvertOutput, KilledAtAnyCallOfItsWriteLeavesTheOldQuizOrTheNewOne) {
#ifndef TORVI_SYSCALL_STOPS
    GTEST_SKIP() << "stopping at system calls is written for x86-64 Linux only";
#else
    if (!CanTraceChildren())
        GTEST_SKIP() << "this process may not trace its children (ptrace is not allowed here)";
    CTempDir dir;
    const std::string input = dir.Write("words.kvtml", Vocabulary());
    const std::string output = dir.File("words.txt");
    // The whole output, as a run that is not stopped writes it.
    const cli_test::CRunResult whole =
        cli_test::RunScript("\"$CLI\" convert '" + input + "' -o '" + output + "'");
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    const std::string newText = cli_test::ReadFile(output);
    ASSERT_GT(newText.size(), 10000u);
    const std::string cli = cli_test::BuiltCli();
    // LeakSanitizer cannot look for leaks in a traced process; the
    // sanitizer build's torvi-cli would fail at its end for that alone.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string sanitizerOptions =
        std::string(sanitizer ? sanitizer : "") + (sanitizer && *sanitizer ? ":" : "") +
        "detect_leaks=0";
    const auto convert = [&] {
        setenv("ASAN_OPTIONS", sanitizerOptions.c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 1);
        dup2(null, 2);
        execl(cli.c_str(), cli.c_str(), "convert", input.c_str(), "-o", output.c_str(), "--force",
              static_cast<char*>(nullptr));
        _exit(127);
    };
    int stopAt = 1;
    for (; stopAt < 400; ++stopAt) {
        dir.Write("words.txt", kOld);
        const CSyscallStop stop = RunAndSignalAt(convert, MakesAFile, stopAt, SIGKILL);
        ASSERT_FALSE(stop.timedOut) << "torvi-cli did not end within its time, at stop " << stopAt;
        const std::string now = cli_test::ReadFile(output);
        std::vector<std::string> names = Names(dir.Path());
        if (stop.finished) {
            ASSERT_TRUE(WIFEXITED(stop.status) && WEXITSTATUS(stop.status) == 0);
            EXPECT_EQ(now, newText);
            EXPECT_EQ(names, (std::vector<std::string>{"words.kvtml", "words.txt"}));
            break;
        }
        EXPECT_TRUE(now == kOld || now == newText)
            << "at stop " << stopAt << ": " << now.substr(0, 40);
        // Only a kill right between naming the new file and renaming it over
        // the old one can leave that name.
        const bool atRename = stop.syscall == SYS_rename || stop.syscall == SYS_renameat ||
                              stop.syscall == SYS_renameat2;
        if (atRename) {
            for (const std::string& name : names) {
                if (name.starts_with(".words.txt.")) {
                    EXPECT_EQ(cli_test::ReadFile(dir.File(name)), newText);
                    std::filesystem::remove(dir.File(name));
                }
            }
            std::erase_if(names, [](const std::string& n) { return n.starts_with(".words.txt."); });
        }
        ASSERT_EQ(names, (std::vector<std::string>{"words.kvtml", "words.txt"}))
            << "at stop " << stopAt << " (system call " << stop.syscall << ")";
    }
    EXPECT_GT(stopAt, 5) << "the write was never stopped";
    EXPECT_LT(stopAt, 400) << "the write did not end within the stops tried";
#endif
}

TEST(ConvertOutput, ReplacedQuizKeepsTheGroupItIsSharedWith) {
    // A group this user may give a file to, other than the primary one.
    gid_t shared = 0;
    if (geteuid() == 0) {
        const struct group* users = getgrnam("users");
        shared = users ? users->gr_gid : 100;
    } else {
        std::vector<gid_t> groups(static_cast<size_t>(std::max(getgroups(0, nullptr), 0)));
        groups.resize(static_cast<size_t>(
            std::max(getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
        for (const gid_t group : groups)
            if (group != getegid())
                shared = group;
        if (shared == 0)
            GTEST_SKIP() << "this user belongs to no group besides the primary one";
    }
    CTempDir dir;
    const std::string input = dir.Write("quiz.txt", "Q1\nA1\n");
    const std::string output = dir.Write("shared.txt", kOld);
    ASSERT_EQ(chown(output.c_str(), static_cast<uid_t>(-1), shared), 0);
    ASSERT_EQ(chmod(output.c_str(), 0664), 0);
    const cli_test::CRunResult r = cli_test::RunScript("\"$CLI\" convert '" + input + "' -o '" +
                                                       output + "' --to csv --force");
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
    struct stat info {};
    ASSERT_EQ(stat(output.c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, shared);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    EXPECT_NE(cli_test::ReadFile(output), kOld);
}
