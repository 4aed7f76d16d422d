#include "cli/cmd_run.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>

#include "judge/answer_judge.h"
#include "quiz/random_source.h"
#include "sound/sdl_audio_player.h"
#include "terminal/line_editor.h"
#include "terminal/run_folder.h"
#include "terminal/run_session.h"
#include "terminal/signal_guard.h"
#include "ui/program_paths.h"

namespace {

constexpr int kExitInterrupted = 130;

class CRunCommand final : public CCliCommand {
public:
    const char* GetName() const override { return "run"; }
    const char* GetDescription() const override {
        return "Play a quiz in the terminal: the questions are shown as text, each answer is "
               "typed on a line, and the feedback and the score are those of the quiz window.";
    }

    void Configure(CLI::App& command) override {
        AddIgnoreWordsOption(command, m_ignoreWords);
        command.add_flag("--jumbled", m_options.jumbled,
                         "Ask the questions jumbled up instead of in file order.");
        m_pSeedOption =
            command.add_option("--seed", m_strSeed,
                               "Make the jumbled order and the choice of sound cue repeatable: N "
                               "sets the random source's three lags (N mod 22, N/22 mod 22, "
                               "N/484 mod 22).");
        m_pSeedOption->type_name("N");
        command.add_flag("--no-sound", m_options.noSound, "Start with the sound cues off.");
        command
            .add_option("--color", m_strColour,
                        "When to colour the verdicts, the question and the replies: auto (on a "
                        "terminal, unless NO_COLOR is set to a non-empty value), always (also "
                        "into a pipe) or never. Default: auto.")
            ->type_name("WHEN");
        command.add_option("QUIZ", m_options.quizPath, "The quiz file to play.")->required();
        command.footer(
            "Each line read is one answer (one per answer box, top to bottom) or a command: "
            ":quit, :restart, :repeat, :explain, :order in|jumbled, :sound on|off, :help. "
            "Standard input may be a pipe; its end ends the quiz as :quit does. On a terminal "
            "each question is headed by the progress, texts are wrapped at its width and the "
            "score is followed by the questions answered wrong; the line can be edited (arrow "
            "keys, Home, End, Ctrl+Left/Right), Up and Down bring back earlier answers and "
            "commands, and Ctrl+A turns a, e, i, o, u or n before the caret into \u00e1, "
            "\u00e9, \u00ed, \u00f3, \u00fa or \u00f1.\n"
            "Exit status: 0 once the quiz was played, 1 when the quiz file does not load, 2 "
            "on a usage error or an unreadable file, 130 when interrupted (Ctrl+C or Ctrl+\\), " +
            std::string(kExitOutputHelp) + ".");
    }

    int Run(std::ostream& out, std::ostream& err) override {
        CAnswerJudge judge(nullptr);
        std::string message;
        if (!LoadIgnoreWords(m_ignoreWords, judge, message))
            return ReportUsageError(err, message);
        if (m_pSeedOption->count() > 0) {
            uint64_t seed = 0;
            if (!ParseSeed(m_strSeed, seed))
                return ReportUsageError(err, "--seed needs a whole number from 0 up, not '" +
                                                 m_strSeed + "'");
            m_options.seed = seed;
        }

        EColourChoice colour = EColourChoice::Auto;
        if (!ParseColourChoice(m_strColour, colour))
            return ReportUsageError(err, "--color takes auto, always or never, not '" +
                                             m_strColour + "'");

        std::error_code ec;
        const std::filesystem::path quiz(m_options.quizPath);
        if (std::filesystem::is_directory(quiz, ec))
            return ReportUsageError(err, "cannot read the quiz file '" + m_options.quizPath +
                                             "': it is a directory");
        errno = 0;
        if (!std::ifstream(quiz, std::ios::binary)) {
            const int error = errno;
            return ReportUsageError(
                err, "cannot read the quiz file '" + m_options.quizPath + "'" +
                         (error ? std::string(": ") + std::strerror(error) : std::string()));
        }
        // The open-file dialog hands over a full path.
        const std::filesystem::path full = std::filesystem::absolute(quiz, ec);
        if (!ec)
            m_options.quizPath = full.lexically_normal().string();

        m_options.ignoreWords = &judge.ignoreWords;
        m_options.echoInput = !isatty(STDIN_FILENO);

        // Decorations belong to a terminal; a pipe or a file gets the plain
        // transcript. The width is asked again before each print, so a resized
        // window is followed.
        m_options.terminal = isatty(STDOUT_FILENO) != 0;
        m_options.width = [] {
            struct winsize size {};
            if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0)
                return 0;
            return static_cast<int>(size.ws_col);
        };
        m_options.style = CTerminalStyle(
            WantsColour(colour, m_options.terminal, std::getenv("NO_COLOR"), std::getenv("TERM")));

        // The session's own folder stands in for the program folder and holds
        // its pages, so that they are not overwritten by another session's.
        // Without it the pages go where the desktop program puts them.
        const std::string programDirectory = FindSupportDirectory();
        CRunFolder folder;
        const bool ownFolder = folder.Create(programDirectory);
        const std::string directory = ownFolder ? folder.GetPath() : programDirectory;
        const std::optional<std::string> pageDirectory =
            ownFolder ? std::optional<std::string>(directory) : std::nullopt;

        CSignalGuard signals;
        m_options.interrupted = CSignalGuard::Interrupted();
        int exitCode = kExitSuccess;
        // Lines are edited only where someone types them and sees them;
        // piped input is read line by line.
        std::optional<CLineEditor> editor;
        if (CLineEditor::IsUsable(STDIN_FILENO, STDOUT_FILENO)) {
            editor.emplace(STDIN_FILENO, STDOUT_FILENO, CSignalGuard::Interrupted());
            if (editor->IsOpen())
                m_options.lineEditor = &*editor;
        }
        {
            // The player outlives the window logic, which silences it on its way out.
            CSdlAudioPlayer player;
            exitCode = PlayQuiz(m_options, std::cin, out, err, &player, directory, pageDirectory);
        }
        return *CSignalGuard::Interrupted() ? kExitInterrupted : exitCode;
    }

private:
    static bool ParseColourChoice(const std::string& text, EColourChoice& choice) {
        if (text == "auto")
            choice = EColourChoice::Auto;
        else if (text == "always")
            choice = EColourChoice::Always;
        else if (text == "never")
            choice = EColourChoice::Never;
        else
            return false;
        return true;
    }

    CRunOptions m_options;
    CIgnoreWordsOption m_ignoreWords;
    std::string m_strSeed;
    std::string m_strColour = "auto";
    CLI::Option* m_pSeedOption = nullptr;
};

} // namespace

std::unique_ptr<CCliCommand> MakeRunCommand() {
    return std::make_unique<CRunCommand>();
}
