// A writer ended at every system call of a write in turn, from the making of
// its new file on: killed (SIGKILL, which nothing can catch) with an unnamed
// new file, it leaves the old file whole or the new one, and no other file;
// ended by SIGTERM, which the library catches while a named file exists, it
// leaves no file either way.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/syscall.h>

#include "file/file_write.h"
#include "file_test_support.h"
#include "support/syscall_stops.h"
#include "support/temp_dir.h"

namespace {
constexpr char kOld[] = "the old quiz\nkept whole\n";

bool IsRename(long call) {
    return call == SYS_rename || call == SYS_renameat || call == SYS_renameat2;
}

struct CCase {
    bool namedTemporary;
    bool severalNames; // the editor's save of a file with hard links
    int signalNumber;
};

class KilledWrite : public ::testing::TestWithParam<CCase> {};

// Runs the write stopped at each call in turn until one runs to its end;
// checks what each stop left. The count of stops tried.
int StopAtEveryCall(const CCase& c) {
    const std::string newText(100000, 'n');
    int stopAt = 1;
    for (; stopAt < 400; ++stopAt) {
        CTempDir dir;
        const std::string quiz = dir.Write("quiz.txt", kOld);
        if (c.severalNames)
            link(quiz.c_str(), dir.File("other.txt").c_str());
        const std::string backup = dir.File("backup");
        const auto write = [&] {
            CWriteOptions options;
            options.namedTemporary = c.namedTemporary;
            options.followLink = true; // as the editor saves
            options.backupFolder = backup;
            CWriteReport report;
            ReplaceFile(quiz, newText, options, report);
        };
        const CSyscallStop stop = RunAndSignalAt(write, MakesAFile, stopAt, c.signalNumber);
        EXPECT_FALSE(stop.timedOut) << "the writer did not end within its time, at stop " << stopAt;
        const std::string now = Content(quiz);
        std::vector<std::string> expected = {"quiz.txt"};
        if (c.severalNames) {
            expected = {"backup", "other.txt", "quiz.txt"};
            if (!std::filesystem::exists(backup))
                expected.erase(expected.begin());
            // Written in place: a write ended halfway is made good from the copy.
            if (now != kOld && now != newText) {
                const std::vector<std::string> copies = NamesIn(backup);
                EXPECT_EQ(copies.size(), 1u) << "at stop " << stopAt;
                if (!copies.empty()) {
                    EXPECT_EQ(Content(backup + "/" + copies[0]), kOld) << "at stop " << stopAt;
                }
            }
        } else {
            EXPECT_TRUE(now == kOld || now == newText) << "at stop " << stopAt << ": " << now;
        }
        std::vector<std::string> names = NamesIn(dir.Path());
        // Between the link of the unnamed file to a name of its own and the
        // rename over the quiz, only SIGKILL can leave that name behind.
        if (c.signalNumber == SIGKILL && !stop.finished && IsRename(stop.syscall) &&
            names.size() == expected.size() + 1) {
            for (const std::string& name : names) {
                if (name.starts_with(".quiz.txt.torvi-")) {
                    EXPECT_EQ(Content(dir.File(name)), newText);
                }
            }
            std::erase_if(names, [](const std::string& n) { return n.starts_with(".quiz"); });
        }
        EXPECT_EQ(names, expected)
            << "at stop " << stopAt << " (system call " << stop.syscall << ")";
        // A signal sent as the program leaves finds it gone.
        const bool leaving = stop.syscall == SYS_exit_group || stop.syscall == SYS_exit;
        if (!stop.finished && c.signalNumber != SIGKILL && !leaving) {
            EXPECT_TRUE(WIFSIGNALED(stop.status) && WTERMSIG(stop.status) == c.signalNumber)
                << "at stop " << stopAt << " (system call " << stop.syscall
                << "): the program did not end by its signal";
        }
        if (stop.finished) {
            EXPECT_EQ(now, newText);
            break;
        }
        if (::testing::Test::HasFailure())
            break;
    }
    return stopAt;
}
} // namespace

TEST_P(KilledWrite, LeavesTheOldFileOrTheNewOneAndNothingElse) {
#ifndef TORVI_SYSCALL_STOPS
    GTEST_SKIP() << "stopping at system calls is written for x86-64 Linux only";
#endif
    if (!CanTraceChildren())
        GTEST_SKIP() << "this process may not trace its children (ptrace is not allowed here)";
    const int stops = StopAtEveryCall(GetParam());
    // The write has more steps than that; a smaller count means the stops
    // were never reached and nothing was tried.
    EXPECT_GT(stops, 5);
}

INSTANTIATE_TEST_SUITE_P(Writes, KilledWrite,
                         ::testing::Values(CCase{false, false, SIGKILL},
                                           CCase{false, true, SIGKILL},
                                           CCase{false, false, SIGTERM},
                                           CCase{true, false, SIGTERM}, CCase{true, false, SIGINT},
                                           CCase{true, true, SIGHUP}),
                         [](const ::testing::TestParamInfo<CCase>& info) {
                             const CCase& c = info.param;
                             return std::string(c.namedTemporary ? "Named" : "Unnamed") +
                                    (c.severalNames ? "SeveralNames" : "OneName") + "Signal" +
                                    std::to_string(c.signalNumber);
                         });
