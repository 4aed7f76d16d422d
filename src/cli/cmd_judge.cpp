#include "cli/cmd_judge.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "judge/answer_judge.h"
#include "quiz/item_list.h"
#include "quiz/text_buffer.h"

namespace {
// The shortest text that reads back as the same double, so a threshold of 0.65
// shows as 0.65 and two values that print alike are alike.
std::string ExactNumber(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : std::string("?");
}

std::string RoundedNumber(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

std::string WordLine(const CTextList& words) {
    if (words.GetCount() == 0)
        return "(none)";
    std::string line;
    for (const CTextBuffer* word : words) {
        if (!line.empty())
            line += ' ';
        line += TerminalText(std::string_view(word->GetText(), word->GetLength()));
    }
    return line;
}

class CJudgeCommand final : public CCliCommand {
public:
    const char* GetName() const override { return "judge"; }
    const char* GetDescription() const override {
        return "Judge one typed answer against one expected answer, showing the words the "
               "judge compares and why the answer is right or wrong.";
    }

    void Configure(CLI::App& command) override {
        AddIgnoreWordsOption(command, m_ignoreWords);
        m_pThresholdOption =
            command.add_option("--threshold", m_strThreshold,
                               "Share of the expected words (after the ignore words are "
                               "dropped) that must be found among the typed words, a number "
                               "above 0. Default: 0.65. Above 1 no answer is right.");
        m_pThresholdOption->type_name("X");
        command.add_flag("--json", m_bJson,
                         "Print one JSON object (right, share, threshold, typed_words, "
                         "expected_words, remaining_words, found) instead of the report.");
        command.add_option("EXPECTED", m_strExpected, "The expected answer, as in the quiz file.")
            ->required();
        command.add_option("TYPED", m_strTyped, "The answer as the user typed it.")->required();
        command.footer(std::string("Put -- before answers that begin with a hyphen.\n"
                                   "Exit status: 0 when the answer is right, 1 when it is wrong, "
                                   "2 on a usage error, ") +
                       kExitOutputHelp + ".");
    }

    int Run(std::ostream& out, std::ostream& err) override {
        CAnswerJudge judge(nullptr);
        if (m_pThresholdOption->count() > 0 && !ParseThreshold(m_strThreshold, judge.threshold))
            return ReportUsageError(err, "--threshold needs a number above 0, not '" +
                                             m_strThreshold + "'");
        std::string message;
        std::string ignoreFile;
        if (!LoadIgnoreWords(m_ignoreWords, judge, message, &ignoreFile))
            return ReportUsageError(err, message);

        const CTextBuffer typed(m_strTyped.c_str());
        const CTextBuffer expected(m_strExpected.c_str());
        CTextList typedWords;
        CTextList expectedWords;
        CTextList remainingWords;
        CTextList removedWords;
        judge.SplitWords(typed, typedWords);
        judge.SplitWords(expected, expectedWords);
        judge.SplitWords(expected, remainingWords);
        judge.RemoveIgnoredWords(remainingWords, &removedWords);
        const int32_t found = CAnswerJudge::CountFoundWords(remainingWords, typedWords);
        const double share = CAnswerJudge::ComputeShare(found, remainingWords.GetCount());
        const bool right = judge.AcceptsShare(share);

        if (m_bJson) {
            CJson result;
            result["right"] = right;
            result["share"] = std::isnan(share) ? CJson(nullptr) : CJson(share);
            result["threshold"] = judge.threshold;
            result["typed_words"] = JsonTextList(typedWords);
            result["expected_words"] = JsonTextList(expectedWords);
            result["remaining_words"] = JsonTextList(remainingWords);
            result["found"] = found;
            out << result.dump() << '\n';
        } else {
            CTextList foundWords;
            CTextList missingWords;
            for (const CTextBuffer* word : remainingWords) {
                CTextList& into =
                    CAnswerJudge::IsWordAmong(*word, typedWords) ? foundWords : missingWords;
                into.Add(new CTextBuffer(*word));
            }
            out << "Verdict:         " << (right ? "right" : "wrong") << '\n';
            out << "Expected words:  " << WordLine(expectedWords) << '\n';
            out << "Ignored:         " << WordLine(removedWords) << '\n';
            out << "Remaining words: " << WordLine(remainingWords) << '\n';
            out << "Found:           " << WordLine(foundWords) << '\n';
            out << "Not found:       " << WordLine(missingWords) << '\n';
            out << "Typed words:     " << WordLine(typedWords) << '\n';
            if (std::isnan(share))
                out << "Share:           none (no expected word is left, so nothing is right)\n";
            else
                out << "Share:           " << found << " of " << remainingWords.GetCount() << " = "
                    << RoundedNumber(share) << '\n';
            out << "Threshold:       " << ExactNumber(judge.threshold) << '\n';
            out << "Ignore list:     "
                << (ignoreFile.empty()
                        ? std::string("none")
                        : TerminalText(ignoreFile) + " (" +
                              std::to_string(judge.ignoreWords.GetCount()) + " entries)")
                << '\n';
        }
        return right ? kExitSuccess : kExitFailure;
    }

private:
    CIgnoreWordsOption m_ignoreWords;
    CLI::Option* m_pThresholdOption = nullptr;
    std::string m_strThreshold;
    std::string m_strExpected;
    std::string m_strTyped;
    bool m_bJson = false;
};
} // namespace

std::unique_ptr<CCliCommand> MakeJudgeCommand() {
    return std::make_unique<CJudgeCommand>();
}
