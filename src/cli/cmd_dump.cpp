#include "cli/cmd_dump.h"

#include <ostream>
#include <string>
#include <string_view>

#include "quiz/question_set.h"
#include "text/text_buffer.h"

namespace {
CJson JsonBuffer(const CTextBuffer& text) {
    return JsonText(std::string_view(text.GetText(), static_cast<size_t>(text.GetLength())));
}

class CDumpCommand final : public CCliCommand {
public:
    const char* GetName() const override { return "dump"; }
    const char* GetDescription() const override {
        return "Load a quiz file as Torvi does and print its questions, answers, comments, "
               "explanations, threshold and ignore words as one JSON object.";
    }

    void Configure(CLI::App& command) override {
        AddIgnoreWordsOption(command, m_ignoreWords);
        command.add_option("QUIZ", m_strQuiz, "The quiz file.")->required();
        command.footer(std::string("Exit status: 0 when the quiz loads, 1 when it does not (the "
                                   "JSON object then says why), 2 on a usage error, ") +
                       kExitOutputHelp + ".");
    }

    int Run(std::ostream& out, std::ostream& err) override {
        // The ignore list comes from the option or the current directory, not from
        // the question set's default file.
        CQuestionSet set(nullptr);
        std::string message;
        if (!LoadIgnoreWords(m_ignoreWords, set.judge, message))
            return ReportUsageError(err, message);

        CJson result;
        if (!set.Load(m_strQuiz.c_str())) {
            const CLoadError& error = set.GetLastLoadError();
            result["ok"] = false;
            result["error"] = error.failure == ELoadFailure::CannotOpen
                                  ? JsonText("cannot read the file '" + m_strQuiz + "'")
                                  : JsonText(error.Describe());
            out << result.dump() << '\n';
            return kExitFailure;
        }

        result["ok"] = true;
        result["threshold"] = set.GetThreshold();
        result["ignore_words"] = JsonTextList(set.GetIgnoreWords());
        CJson questions = CJson::array();
        for (const CQuestion* question : set.GetQuestions()) {
            CJson item;
            item["text"] = JsonBuffer(question->text);
            item["answers"] = JsonTextList(question->answers);
            item["comment"] = JsonBuffer(question->comment);
            item["explanation"] = JsonBuffer(question->explanation);
            item["ordered"] = question->ordered;
            questions.push_back(std::move(item));
        }
        result["questions"] = std::move(questions);
        out << result.dump() << '\n';
        return kExitSuccess;
    }

private:
    CIgnoreWordsOption m_ignoreWords;
    std::string m_strQuiz;
};
} // namespace

std::unique_ptr<CCliCommand> MakeDumpCommand() {
    return std::make_unique<CDumpCommand>();
}
