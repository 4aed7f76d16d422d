// Standard output that cannot be written: the buffer under it keeps why, and every
// command of the built tool then exits with status 4 and one line saying so.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <string>
#include <utility>

#include "cli/cli_common.h"
#include "cli/output_buffer.h"
#include "cli_test_support.h"

using cli_test::CRunResult;
using cli_test::CTempDir;

namespace {

std::string FailureLine(int error) {
    return std::string("torvi-cli: cannot write the output: ") + std::strerror(error) + "\n";
}

// Each way standard output can fail, with the reason the tool must give.
const std::pair<const char*, int> kBrokenOutputs[] = {
    {">/dev/full", ENOSPC}, {">&-", EBADF}, {">&4", EPIPE}};
// Makes descriptor 4 a pipe whose only reader is gone before the tool starts.
constexpr char kDeadPipe[] = "rm -f pipe && mkfifo pipe && exec 3<>pipe 4>pipe 3<&-\n";

} // namespace

TEST(OutputBuffer, PiecesOfEverySizeArriveWholeAndInOrder) {
    const CTempDir dir;
    std::string expected;
    {
        const int fd = open(dir.File("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        COutputBuffer buffer(fd);
        std::ostream out(&buffer);
        // Sizes around the buffer's own, so that every way through it is taken.
        for (const size_t size : {1u, 100u, 16383u, 1u, 16384u, 40000u, 7u, 16385u, 0u, 3u}) {
            std::string piece(size, '\0');
            for (size_t i = 0; i < size; ++i)
                piece[i] = static_cast<char>('a' + (expected.size() + i) % 26);
            out << piece << '|';
            expected += piece + "|";
        }
        out.flush();
        EXPECT_TRUE(out.good());
        EXPECT_EQ(buffer.GetError(), 0);
        close(fd);
    }
    EXPECT_EQ(cli_test::ReadFile(dir.File("out")), expected);
}

TEST(OutputFailure, EveryCommandReportsItOnceWithStatusFour) {
    const CTempDir dir;
    dir.Write("quiz.txt", "Capital of France?\nParis\nColours?\nred/\nblue\n");
    dir.Write("answers", "Paris\nred\nblue\n");
    for (const auto& [redirection, error] : kBrokenOutputs) {
        for (const char* command :
             {"dump quiz.txt", "check quiz.txt", "judge Paris Paris", "judge --json Paris London",
              "run --no-sound quiz.txt <answers", "--help", "run --help"}) {
            const CRunResult result =
                cli_test::RunScript("cd '" + dir.Path() + "'\n" + kDeadPipe + "\"$CLI\" " +
                                    command + " " + redirection + "\n");
            EXPECT_EQ(result.exitCode, kExitOutput) << command << " " << redirection;
            EXPECT_EQ(result.err, FailureLine(error)) << command << " " << redirection;
        }
    }
    // A usage error writes nothing, so it keeps its own status.
    EXPECT_EQ(cli_test::RunScript("\"$CLI\" judge >/dev/full").exitCode, kExitUsage);
}

TEST(OutputFailure, RunStopsOnceNobodyReadsItsOutput) {
    // Standard input stays open and silent: a session that went on asking would
    // wait until it is killed.
    const CTempDir dir;
    dir.Write("quiz.txt", "Capital of France?\nParis\n");
    for (const auto& [redirection, error] : kBrokenOutputs) {
        const CRunResult result = cli_test::RunScript(
            "cd '" + dir.Path() + "'\n" + kDeadPipe +
            "rm -f in && mkfifo in && exec 5<>in\n\"$CLI\" run --no-sound quiz.txt <&5 " +
            redirection + "\n");
        EXPECT_EQ(result.exitCode, kExitOutput) << redirection;
        EXPECT_EQ(result.err, FailureLine(error)) << redirection;
    }
}
