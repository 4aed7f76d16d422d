// Helpers shared by the command-line tool's tests: running a command line in-process,
// temporary folders, and a working directory held for the length of a test.
#pragma once

#include "support/temp_dir.h"
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/wait.h>
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

inline std::string BuiltCli() {
    return std::string(TORVI_BIN_DIR) + "/torvi-cli";
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Runs a shell script with $CLI naming the built torvi-cli. The script is killed
// after ten seconds (status 137), so a tool that waits for ever fails its test.
inline CRunResult RunScript(const std::string& script) {
    const CTempDir scratch;
    const std::string command = "CLI='" + BuiltCli() +
                                "' SDL_AUDIODRIVER=dummy timeout -s KILL 10 sh '" +
                                scratch.Write("script", script) + "' >'" + scratch.File("out") +
                                "' 2>'" + scratch.File("err") + "'";
    const int status = std::system(command.c_str());
    CRunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(scratch.File("out"));
    result.err = ReadFile(scratch.File("err"));
    return result;
}

} // namespace cli_test
