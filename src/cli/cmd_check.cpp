#include "cli/cmd_check.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "quiz/question_set.h"
#include "quiz/text_buffer.h"

namespace {
struct CDiagnostic {
    int32_t line = 0;
    bool error = false;
    std::string text;
};

std::string Quoted(std::string_view bytes) {
    return "\"" + TerminalText(bytes) + "\"";
}

std::string Counted(size_t n, const char* what) {
    return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i];
        char b = prefix[i];
        a = (a >= 'A' && a <= 'Z') ? static_cast<char>(a - 'A' + 'a') : a;
        b = (b >= 'A' && b <= 'Z') ? static_cast<char>(b - 'A' + 'a') : b;
        if (a != b)
            return false;
    }
    return true;
}

// What the loader made of a "PercentForCorrect:" value, when that will surprise
// the author; empty when the value is a usable threshold.
std::string CheckThreshold(const std::string& rest) {
    const std::string value = rest.substr(18);
    if (value.empty())
        return "\"PercentForCorrect:\" has no value and is ignored";
    if (value[0] == ' ')
        return "\"PercentForCorrect:\" value is ignored: a space follows the colon";
    // The same reading the loader makes: the text up to the first space.
    const CTextBuffer text(value.c_str());
    int32_t at = 0;
    double number = 0.0;
    if (!text.ParseNumber(at, " ", number, 0.0))
        return "\"PercentForCorrect:\" has no value and is ignored";
    std::string token = value.substr(0, value.find(' '));
    token.erase(0, token.find_first_not_of(" \t"));
    char* end = nullptr;
    const double parsed = std::strtod(token.c_str(), &end);
    if (end == token.c_str() || std::isnan(parsed) || std::isnan(number))
        return "\"PercentForCorrect:\" value " + Quoted(token) + " is not a number and is ignored";
    if (!(number > 0.0))
        return "\"PercentForCorrect:\" value " + Quoted(token) + " is not above 0 and is ignored";
    if (number > 1.0)
        return "\"PercentForCorrect:\" value " + Quoted(token) +
               " is above 1: no answer can then be right";
    return "";
}

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
    bool CheckFile(const std::string& path, const CAnswerJudge& ignoreList, std::ostream& out) {
        CQuestionSet set(nullptr);
        for (const CTextBuffer* word : ignoreList.ignoreWords)
            set.judge.ignoreWords.Add(new CTextBuffer(*word));

        CLoadReport report;
        const bool loaded = set.Load(path.c_str(), &report);
        const std::string name = TerminalText(path);
        if (!loaded && report.error.failure == ELoadFailure::CannotOpen) {
            out << name << ": error: cannot read the file\n";
            out << name << ": 0 questions, 1 error, 0 warnings\n";
            return false;
        }

        std::vector<CDiagnostic> found;
        if (!loaded)
            found.push_back(
                {report.error.line, true,
                 std::string(report.error.GetReason()) + ": " + Quoted(report.error.firstLine)});
        CollectFileWarnings(report, found);
        if (loaded)
            CollectQuestionWarnings(set, report, found);

        std::stable_sort(
            found.begin(), found.end(),
            [](const CDiagnostic& a, const CDiagnostic& b) { return a.line < b.line; });
        size_t errors = 0;
        for (const CDiagnostic& d : found) {
            out << name << ':' << d.line << ": " << (d.error ? "error: " : "warning: ") << d.text
                << '\n';
            errors += d.error ? 1 : 0;
        }
        out << name << ": "
            << Counted(static_cast<size_t>(set.GetQuestions().GetCount()), "question") << ", "
            << Counted(errors, "error") << ", " << Counted(found.size() - errors, "warning")
            << '\n';
        return loaded;
    }

    static void CollectFileWarnings(const CLoadReport& report, std::vector<CDiagnostic>& found) {
        for (const CLoadReport::COptionLine& option : report.options) {
            if (!StartsWithNoCase(option.rest, "PercentForCorrect:"))
                continue;
            std::string problem = CheckThreshold(option.rest);
            if (!problem.empty())
                found.push_back({option.line, false, std::move(problem)});
        }
        if (report.hiddenHeaderLine > 0)
            found.push_back(
                {1, false,
                 "the first line is blank, so the \"option:\" lines from line " +
                     std::to_string(report.hiddenHeaderLine) +
                     " are read as questions and answers, not as options (the header must "
                     "start on the first line)"});
        for (int32_t line : report.strayOptionLines)
            found.push_back({line, false,
                             "\"option:\" line after the first question is read as question or "
                             "answer text, not as an option"});
    }

    static void CollectQuestionWarnings(const CQuestionSet& set, const CLoadReport& report,
                                        std::vector<CDiagnostic>& found) {
        const CItemList<CQuestion>& questions = set.GetQuestions();
        for (int32_t i = 0; i < questions.GetCount(); ++i) {
            const CQuestion& question = *questions.GetAt(i);
            const CLoadReport::CQuestionLines& lines = report.questions[static_cast<size_t>(i)];
            if (question.text.GetLength() == 0)
                found.push_back({lines.textLine, false, "question text is empty"});
            const int32_t count = question.answers.GetCount();
            if (count > CQuestionSet::kMaxJudgedAnswers)
                found.push_back({lines.textLine, false,
                                 "question has " + std::to_string(count) +
                                     " expected answers; only the first ten can be typed and "
                                     "judged"});
            for (int32_t k = 0; k < count; ++k) {
                const CTextBuffer& answer = *question.answers.GetAt(k);
                CTextList words;
                set.judge.SplitWords(answer, words);
                set.judge.RemoveIgnoredWords(words);
                if (words.GetCount() > 0)
                    continue;
                const int32_t line = static_cast<size_t>(k) < lines.answerLines.size()
                                         ? lines.answerLines[static_cast<size_t>(k)]
                                         : lines.textLine;
                found.push_back(
                    {line, false,
                     "expected answer " +
                         Quoted(std::string_view(answer.GetText(),
                                                 static_cast<size_t>(answer.GetLength()))) +
                         " can never be matched: no words are left once the ignore words are "
                         "dropped"});
            }
        }
    }

    CIgnoreWordsOption m_ignoreWords;
    std::vector<std::string> m_quizzes;
};
} // namespace

std::unique_ptr<CCliCommand> MakeCheckCommand() {
    return std::make_unique<CCheckCommand>();
}
