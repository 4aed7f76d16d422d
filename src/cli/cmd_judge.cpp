#include "cli/cmd_judge.h"

#include <cmath>
#include <ostream>
#include <string>

#include "check/answer_explanation.h"
#include "judge/answer_judge.h"

namespace {
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

        CAnswerExplanation explanation;
        ExplainAnswer(judge, m_strTyped, m_strExpected, explanation);
        const bool right = explanation.right;

        if (m_bJson) {
            CJson result;
            result["right"] = right;
            result["share"] =
                std::isnan(explanation.share) ? CJson(nullptr) : CJson(explanation.share);
            result["threshold"] = judge.threshold;
            result["typed_words"] = JsonTextList(explanation.typedWords);
            result["expected_words"] = JsonTextList(explanation.expectedWords);
            result["remaining_words"] = JsonTextList(explanation.remainingWords);
            result["found"] = explanation.found;
            out << result.dump() << '\n';
        } else {
            const std::string ignoreLine =
                ignoreFile.empty() ? std::string("none")
                                   : TerminalText(ignoreFile) + " (" +
                                         std::to_string(judge.ignoreWords.GetCount()) + " entries)";
            out << FormatAnswerExplanation(explanation, judge.threshold, ignoreLine, TerminalText);
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
