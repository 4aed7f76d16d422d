// torvi-cli: the quiz author's command-line tool.
#include <iostream>

#include "cli/cli_common.h"
#include "cli/cmd_judge.h"

namespace {
// Every subcommand: its header above and one line here.
constexpr CliCommandFactory kCommands[] = {
    MakeJudgeCommand,
};
} // namespace

int main(int argc, char** argv) {
    return RunCommandLine(argc, argv, kCommands, std::cout, std::cerr);
}
