// torvi-cli: the quiz author's command-line tool.
#include <iostream>

#include "cli/cli_common.h"
#include "cli/cmd_check.h"
#include "cli/cmd_dump.h"
#include "cli/cmd_judge.h"
#include "cli/cmd_run.h"

namespace {
// Every subcommand: its header above and one line here.
constexpr CliCommandFactory kCommands[] = {
    MakeJudgeCommand,
    MakeDumpCommand,
    MakeCheckCommand,
    MakeRunCommand,
};
} // namespace

int main(int argc, char** argv) {
    return RunCommandLine(argc, argv, kCommands, std::cout, std::cerr);
}
