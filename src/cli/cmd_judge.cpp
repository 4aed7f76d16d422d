#include "cli/cmd_judge.h"

#include <cmath>
#include <ostream>
#include <string>

#include "check/answer_explanation.h"
#include "judge/answer_judge.h"
#include "text/ascii.h"
#include "text/encoding.h"

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
        m_pWordsOption = command.add_option(
            "--words", m_strWords,
            "What makes a word: ascii (letters A-Z and digits 0-9, every other character "
            "separates words; the default, as in a quiz without options) or unicode (the "
            "letters, marks and digits of every alphabet, as option:Words:Unicode).");
        m_pWordsOption->type_name("ascii|unicode");
        m_pAccentsOption = command.add_option(
            "--accents", m_strAccents,
            "required (the default) or optional: a letter counts the same with or without its "
            "accents, as option:Accents:Optional. optional reads unicode words.");
        m_pAccentsOption->type_name("required|optional");
        command.add_flag("--json", m_bJson,
                         "Print one JSON object (right, share, threshold, typed_words, "
                         "expected_words, remaining_words, found, words, accents) instead of "
                         "the report.");
        command
            .add_option("EXPECTED", m_strExpected,
                        "The expected answer, as in the quiz file (UTF-8, else read as "
                        "Windows-1252).")
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
        if (!ReadWordRule(judge.wordRule, err))
            return kExitUsage;
        // The expected answer is read as the loader reads a quiz file: UTF-8 when
        // it is valid UTF-8, else Windows-1252.
        judge.expectedUtf8 = IsValidUtf8(m_strExpected);
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
            result["words"] = WordRuleName(judge.wordRule);
            result["accents"] = AccentsName(judge.wordRule);
            out << result.dump() << '\n';
        } else {
            const std::string ignoreLine =
                ignoreFile.empty() ? std::string("none")
                                   : TerminalText(ignoreFile) + " (" +
                                         std::to_string(judge.ignoreWords.GetCount()) + " entries)";
            out << FormatAnswerExplanation(explanation, judge.threshold, judge.wordRule, ignoreLine,
                                           TerminalText);
        }
        return right ? kExitSuccess : kExitFailure;
    }

private:
    // --words and --accents as one rule; false, with the usage error written,
    // when a value is not one of the names or the two contradict each other.
    bool ReadWordRule(EWordRule& rule, std::ostream& err) const {
        const bool wordsGiven = m_pWordsOption->count() > 0;
        const bool accentsGiven = m_pAccentsOption->count() > 0;
        if (wordsGiven && !EqualNoCase(m_strWords, "ascii") &&
            !EqualNoCase(m_strWords, "unicode")) {
            ReportUsageError(err, "--words needs ascii or unicode, not '" +
                                      TerminalText(m_strWords) + "'");
            return false;
        }
        if (accentsGiven && !EqualNoCase(m_strAccents, "required") &&
            !EqualNoCase(m_strAccents, "optional")) {
            ReportUsageError(err, "--accents needs required or optional, not '" +
                                      TerminalText(m_strAccents) + "'");
            return false;
        }
        const bool unicode = wordsGiven && EqualNoCase(m_strWords, "unicode");
        const bool withoutAccents = accentsGiven && EqualNoCase(m_strAccents, "optional");
        if (withoutAccents && wordsGiven && !unicode) {
            ReportUsageError(err, "--accents optional reads unicode words, so it cannot go with "
                                  "--words ascii");
            return false;
        }
        rule = withoutAccents ? EWordRule::UnicodeWithoutAccents
                              : (unicode ? EWordRule::Unicode : EWordRule::Ascii);
        return true;
    }

    CIgnoreWordsOption m_ignoreWords;
    CLI::Option* m_pThresholdOption = nullptr;
    CLI::Option* m_pWordsOption = nullptr;
    CLI::Option* m_pAccentsOption = nullptr;
    std::string m_strWords;
    std::string m_strAccents;
    std::string m_strThreshold;
    std::string m_strExpected;
    std::string m_strTyped;
    bool m_bJson = false;
};
} // namespace

std::unique_ptr<CCliCommand> MakeJudgeCommand() {
    return std::make_unique<CJudgeCommand>();
}
