// torvi-cli: the quiz author's command-line tool.
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

#include "cli/cli_common.h"
#include "cli/cmd_check.h"
#include "cli/cmd_convert.h"
#include "cli/cmd_dump.h"
#include "cli/cmd_judge.h"
#include "cli/cmd_run.h"
#include "cli/output_buffer.h"

namespace {
// With standard output closed, the next file the tool opened (a page, say) would
// take its number and receive the output. /dev/null holds the place instead, and
// true says that the output has nowhere to go.
bool HoldClosedStandardOutput() {
    if (fcntl(STDOUT_FILENO, F_GETFD) >= 0 || errno != EBADF)
        return false;
    const int fd = open("/dev/null", O_WRONLY);
    if (fd >= 0 && fd != STDOUT_FILENO) {
        dup2(fd, STDOUT_FILENO);
        close(fd);
    }
    return true;
}

// Every subcommand: its header above and one line here.
constexpr CliCommandFactory kCommands[] = {
    MakeJudgeCommand, MakeDumpCommand, MakeCheckCommand, MakeRunCommand, MakeConvertCommand,
};
} // namespace

int main(int argc, char** argv) {
    // A reader that goes away makes the next write fail with EPIPE, which is
    // reported like any other failed write, instead of killing the tool unseen.
    std::signal(SIGPIPE, SIG_IGN);
    // Standard output goes through a buffer that remembers why a write failed;
    // std::cout shares it, so nothing can slip past into a buffer left unchecked.
    COutputBuffer output(STDOUT_FILENO);
    if (HoldClosedStandardOutput())
        output.RefuseWrites(EBADF);
    std::streambuf* const saved = std::cout.rdbuf(&output);
    const int exitCode = RunCommandLine(argc, argv, kCommands, std::cout, std::cerr);
    std::cout.rdbuf(saved);
    return exitCode;
}
