#include "cli/cli_common.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ostream>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "text/encoding.h"
#include "text/text_buffer.h"
#include "ui/program_paths.h"

namespace {
constexpr const char* kProgramName = "torvi-cli";

int PrintHelp(const CLI::App& app, const CLI::Error& error, std::ostream& out, std::ostream& err) {
    app.exit(error, out, err);
    return kExitSuccess;
}
} // namespace

int ReportUsageError(std::ostream& err, std::string_view message) {
    // One line, whatever the message holds: line ends inside it become blanks.
    std::string line(message);
    for (char& c : line) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    err << kProgramName << ": " << line << '\n';
    return kExitUsage;
}

int FinishOutput(std::ostream& out, std::ostream& err, int exitCode) {
    errno = 0;
    std::streambuf* buffer = out.rdbuf();
    // Synced even when out has failed already, so that the buffer can say why.
    const bool flushed = !buffer || buffer->pubsync() == 0;
    const int error = flushed ? 0 : errno;
    if (flushed && out.good())
        return exitCode;
    err << kProgramName
        << ": cannot write the output: " << (error != 0 ? std::strerror(error) : "write error")
        << '\n';
    return kExitOutput;
}

namespace {
int RunCommand(int argc, const char* const* argv, std::span<const CliCommandFactory> commands,
               std::ostream& out, std::ostream& err) {
    const char* const fallback[] = {kProgramName};
    if (argc < 1 || !argv) {
        argc = 1;
        argv = fallback;
    }
    try {
        CLI::App app{"Torvi's tool for quiz authors.", kProgramName};
        app.require_subcommand(1);
        app.set_version_flag("--version", std::string(kProgramName) + " (Torvi) " + TORVI_VERSION,
                             "Print the program's name and version and exit.");
        app.footer(std::string("Run 'torvi-cli COMMAND --help' for the options of one command.\n"
                               "Exit status of every command: ") +
                   kExitOutputHelp + ".");

        std::vector<std::pair<CLI::App*, std::unique_ptr<CCliCommand>>> made;
        for (const CliCommandFactory factory : commands) {
            std::unique_ptr<CCliCommand> command = factory();
            CLI::App* sub = app.add_subcommand(command->GetName(), command->GetDescription());
            command->Configure(*sub);
            made.emplace_back(sub, std::move(command));
        }

        try {
            app.parse(argc, argv);
        } catch (const CLI::CallForHelp& e) {
            return PrintHelp(app, e, out, err);
        } catch (const CLI::CallForAllHelp& e) {
            return PrintHelp(app, e, out, err);
        } catch (const CLI::ParseError& e) {
            if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
                return PrintHelp(app, e, out, err);
            return ReportUsageError(err, e.what());
        }

        for (auto& [sub, command] : made) {
            if (sub->parsed())
                return command->Run(out, err);
        }
        return ReportUsageError(err, "no command given; run 'torvi-cli --help' for the list");
    } catch (const std::exception& e) {
        err << kProgramName << ": internal error: " << e.what() << '\n';
    } catch (...) {
        err << kProgramName << ": internal error\n";
    }
    return kExitInternal;
}
} // namespace

int RunCommandLine(int argc, const char* const* argv, std::span<const CliCommandFactory> commands,
                   std::ostream& out, std::ostream& err) {
    return FinishOutput(out, err, RunCommand(argc, argv, commands, out, err));
}

void AddIgnoreWordsOption(CLI::App& command, CIgnoreWordsOption& target) {
    target.option = command.add_option(
        "--ignore-words", target.path,
        "File of ignore words, one per line; they are dropped from the expected answer "
        "before comparing. Default: IgnoreW.TXT in the current directory when there is "
        "one, else the one that comes with Torvi, else no ignore words.");
    target.option->type_name("FILE");
}

bool LoadIgnoreWords(const CIgnoreWordsOption& option, CAnswerJudge& judge, std::string& message,
                     std::string* usedFile) {
    if (usedFile)
        usedFile->clear();
    if (!option.option || option.option->count() == 0) {
        // The default list is optional: without one nothing is ignored. Anything
        // but a regular file under its name counts as no list and is never waited on.
        const std::string path = ChooseIgnoreWordsFile(FindSupportDirectory());
        if (judge.LoadIgnoreWords(path.c_str()) && usedFile)
            *usedFile = path;
        return true;
    }
    const std::string& path = option.path;
    const std::string prefix = "cannot read the ignore-word file '" + path + "'";
    // Named on the command line, a pipe or a device is refused rather than read:
    // reading one could wait for ever.
    struct stat info {};
    if (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        message =
            prefix + (S_ISDIR(info.st_mode) ? ": it is a directory" : ": it is not a regular file");
        return false;
    }
    errno = 0;
    if (judge.LoadIgnoreWords(path.c_str())) {
        if (usedFile)
            *usedFile = path;
        return true;
    }
    const int error = errno;
    message = prefix;
    if (error == EINVAL || error == EISDIR)
        message += ": it is not a regular file"; // it changed since it was looked at
    else if (error != 0)
        message += std::string(": ") + std::strerror(error);
    return false;
}

bool ParseThreshold(const std::string& text, double& threshold) {
    // The quiz loader's reading of a number, but the whole argument must be one.
    double value = 0.0;
    const size_t used = ReadDecimalNumber(text.c_str(), value);
    if (used == 0 || used != text.size() || !std::isfinite(value) || !(value > 0.0))
        return false;
    threshold = value;
    return true;
}

CJson JsonText(std::string_view bytes) {
    return CJson(ToUtf8(bytes));
}

CJson JsonTextList(const CTextList& texts) {
    CJson list = CJson::array();
    for (const CTextBuffer* text : texts) {
        if (text)
            list.push_back(JsonText(
                std::string_view(text->GetText(), static_cast<size_t>(text->GetLength()))));
    }
    return list;
}

std::string TerminalText(std::string_view bytes) {
    return ToUtf8(bytes);
}
