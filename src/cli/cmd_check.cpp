#include "cli/cmd_check.h"

#include <ostream>
#include <string>
#include <vector>

#include "check/quiz_checker.h"
#include "convert/quiz_import.h"

namespace {
class CCheckCommand final : public CCliCommand {
public:
    const char* GetName() const override { return "check"; }
    const char* GetDescription() const override {
        return "Check quiz files: report what keeps each from loading and what loads but "
               "will not work as its author probably meant.";
    }

    void Configure(CLI::App& command) override {
        AddIgnoreWordsOption(command, m_ignoreWords);
        command.add_option("QUIZ", m_quizzes, "The quiz files.")->required();
        command.footer(std::string("Each file is loaded on its own, as if it were the first one "
                                   "opened.\n"
                                   "Exit status: 0 when every file loads (warnings or not), 1 "
                                   "when one does not, 2 on a usage error, ") +
                       kExitOutputHelp + ".");
    }

    int Run(std::ostream& out, std::ostream& err) override {
        // The ignore file is read once; every quiz starts from the same list.
        CAnswerJudge ignoreList(nullptr);
        std::string message;
        if (!LoadIgnoreWords(m_ignoreWords, ignoreList, message))
            return ReportUsageError(err, message);

        bool allLoad = true;
        for (const std::string& quiz : m_quizzes)
            allLoad = CheckFile(quiz, ignoreList, out) && allLoad;
        return allLoad ? kExitSuccess : kExitFailure;
    }

private:
    // The file is read once: its format is told from its bytes, which are
    // then loaded, or converted, from memory.
    bool CheckFile(const std::string& path, const CAnswerJudge& ignoreList, std::ostream& out) {
        const std::string name = TerminalText(path);
        std::string bytes;
        std::string why;
        if (ReadWholeFile(path, bytes, why) != EReadResult::Read) {
            CQuizCheck unread;
            unread.diagnostics.push_back({0, true, why});
            out << name << ": error: " << TerminalText(why) << '\n';
            out << name << ": " << unread.Summary() << '\n';
            return false;
        }
        if (DetectInputFormat(path, std::string_view(bytes).substr(0, 4096)) != EFileFormat::Quiz)
            return CheckConverted(path, bytes, ignoreList, out);
        const CQuizCheck check = CheckQuizBytes(bytes, ignoreList, TerminalText);
        for (const CQuizDiagnostic& d : check.diagnostics)
            out << name << ':' << d.line << ": " << (d.error ? "error: " : "warning: ") << d.text
                << '\n';
        out << name << ": " << check.Summary() << '\n';
        return check.loaded;
    }

    // A file of another program is checked as the quiz it converts into; what
    // the conversion left out comes first, by the input's own lines and entries,
    // and the checks' lines are those of the converted text.
    static bool CheckConverted(const std::string& path, const std::string& bytes,
                               const CAnswerJudge& ignoreList, std::ostream& out) {
        const std::string name = TerminalText(path);
        CConvertReport conversion;
        std::string text;
        const std::string_view start = std::string_view(bytes).substr(0, 4096);
        if (!ConvertToQuizText(bytes, DetectInputFormat(path, start), CConvertOptions(), text,
                               conversion)) {
            out << name << ": error: " << TerminalText(conversion.error) << '\n';
            return false;
        }
        for (const CConvertReport::CSkipped& s : conversion.skipped)
            out << name << ": " << s.where << ": warning: left out: " << TerminalText(s.why)
                << '\n';
        const CQuizCheck check = CheckQuizBytes(text, ignoreList, TerminalText);
        for (const CQuizDiagnostic& d : check.diagnostics)
            out << name << ": converted line " << d.line << ": "
                << (d.error ? "error: " : "warning: ") << d.text << '\n';
        out << name << ": " << check.Summary();
        if (!conversion.skipped.empty())
            out << ", " << CountedNoun(conversion.skipped.size(), "record") << " left out";
        out << '\n';
        return check.loaded;
    }

    CIgnoreWordsOption m_ignoreWords;
    std::vector<std::string> m_quizzes;
};
} // namespace

std::unique_ptr<CCliCommand> MakeCheckCommand() {
    return std::make_unique<CCheckCommand>();
}
