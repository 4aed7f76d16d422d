// Helpers shared by the command-line tool's tests: running a command line in-process,
// temporary folders, and a working directory held for the length of a test.
#pragma once

#include "support/temp_dir.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "cli/cli_common.h"

namespace cli_test {

using ::CCurrentDirectory;
using ::CTempDir;

struct CRunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs "torvi-cli args..." against the given subcommands.
inline CRunResult RunCli(std::span<const CliCommandFactory> commands,
                         const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"torvi-cli"};
    for (const std::string& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    CRunResult result;
    result.exitCode =
        RunCommandLine(static_cast<int>(argv.size()), argv.data(), commands, out, err);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace cli_test
