// The command-line tool's frame: subcommands, exit codes, the ignore-word option and
// the turning of the core's bytes into JSON strings.
#pragma once

#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "judge/answer_judge.h"
#include "text/item_list.h"

// Exit codes shared by every subcommand.
constexpr int kExitSuccess = 0; // the answer is right, the check passed
constexpr int kExitFailure = 1; // the answer is wrong, the check found faults
constexpr int kExitUsage = 2;   // bad arguments or an unreadable input file
constexpr int kExitInternal = 3;
constexpr int kExitOutput = 4; // standard output could not be written
// How each command's help names status 4.
constexpr const char kExitOutputHelp[] =
    "4 when the output cannot be written (a full disk, a closed pipe)";

// The tool writes its JSON objects with the fields in the order they were set.
using CJson = nlohmann::ordered_json;

// One subcommand of torvi-cli. Configure declares its options on the CLI11 app made
// for it; Run is called only after the whole command line parsed.
class CCliCommand {
public:
    virtual ~CCliCommand() = default;
    virtual const char* GetName() const = 0;
    virtual const char* GetDescription() const = 0;
    virtual void Configure(CLI::App& command) = 0;
    // Writes its results to out and one-line messages to err; returns the exit code.
    virtual int Run(std::ostream& out, std::ostream& err) = 0;
};

using CliCommandFactory = std::unique_ptr<CCliCommand> (*)();

// Parses argv (argv[0] is the program name) against the given subcommands and runs
// the chosen one. Help goes to out with exit code 0; a usage error gives one line
// on err and kExitUsage. Whatever the command's result, out is flushed last: when
// it could not all be written, one line on err says why and the exit code is
// kExitOutput, so a truncated result never passes for a verdict. Never throws.
int RunCommandLine(int argc, const char* const* argv, std::span<const CliCommandFactory> commands,
                   std::ostream& out, std::ostream& err);

// Writes "torvi-cli: <message>" as one line on err and returns kExitUsage.
int ReportUsageError(std::ostream& err, std::string_view message);

// Flushes out; when that fails or out has failed before, writes "torvi-cli: cannot
// write the output: <reason>" on err and returns kExitOutput, else exitCode. The
// reason is errno as a failed flush leaves it (see COutputBuffer).
int FinishOutput(std::ostream& out, std::ostream& err, int exitCode);

// --ignore-words FILE, as every judging subcommand offers it.
struct CIgnoreWordsOption {
    std::string path;
    CLI::Option* option = nullptr;
};
void AddIgnoreWordsOption(CLI::App& command, CIgnoreWordsOption& target);
// Fills the judge's ignore list: from the named file, else from "IgnoreW.TXT" in the
// current directory when one is there, else from the one in the program's support
// folder, else none. False, with a one-line message, when a file named on the
// command line cannot be read or is not a regular file. usedFile, when given,
// receives the file the words came from ("" for none).
bool LoadIgnoreWords(const CIgnoreWordsOption& option, CAnswerJudge& judge, std::string& message,
                     std::string* usedFile = nullptr);

// --threshold X: a finite number above 0, read with "." as the decimal point.
bool ParseThreshold(const std::string& text, double& threshold);

// Core bytes as a JSON string: valid UTF-8 passes through, anything else is read as
// Windows-1252.
CJson JsonText(std::string_view bytes);
CJson JsonTextList(const CTextList& texts);
// A text as UTF-8 for the terminal, converted the same way.
std::string TerminalText(std::string_view bytes);
