// Fuzz target: loading arbitrary bytes as a quiz file. Beyond not crashing, the
// file read in pieces of every size gives the same quiz, with or without a
// report, and every question it loads can be asked, judged and shown.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "quiz/question_set.h"
#include "quiz/quiz_file_reader.h"

namespace {
struct CSnapshot {
    bool ok = false;
    bool utf8 = false;
    double threshold = 0.0;
    std::vector<std::string> ignoreWords;
    std::vector<std::string> texts;
    ELoadFailure failure = ELoadFailure::None;
    int32_t line = 0;
    std::string firstLine;

    bool operator==(const CSnapshot&) const = default;
};

std::string Bytes(const CTextBuffer& text) {
    return std::string(text.GetText(), static_cast<size_t>(text.GetLength()));
}

const std::string& QuizPath() {
    // tmpfs when there is one: the file is rewritten for every input.
    static const std::string path =
        (std::filesystem::exists("/dev/shm") ? std::string("/dev/shm")
                                             : std::filesystem::temp_directory_path().string()) +
        "/torvi-fuzz-load-" + std::to_string(getpid()) + ".txt";
    return path;
}

CSnapshot LoadOnce(size_t chunk, bool withReport) {
    CQuestionSet set(nullptr);
    for (const char* word : {"the", "of", "a", "The", " the"})
        set.judge.ignoreWords.Add(new CTextBuffer(word));
    CLoadReport report;
    CSnapshot snapshot;
    CQuizFileReader file(chunk);
    file.Open(QuizPath().c_str(), withReport);
    snapshot.ok = set.Load(file, withReport ? &report : nullptr);
    snapshot.utf8 = set.IsUtf8();
    snapshot.threshold = set.GetThreshold();
    for (const CTextBuffer* word : set.GetIgnoreWords())
        snapshot.ignoreWords.push_back(Bytes(*word));
    snapshot.failure = set.GetLastLoadError().failure;
    snapshot.line = set.GetLastLoadError().line;
    snapshot.firstLine = set.GetLastLoadError().firstLine;
    if (withReport && static_cast<size_t>(set.GetQuestions().GetCount()) != report.questions.size())
        std::abort();
    for (const CQuestion* question : set.GetQuestions()) {
        snapshot.texts.push_back(Bytes(question->text));
        for (const CTextBuffer* answer : question->answers)
            snapshot.texts.push_back("answer:" + Bytes(*answer));
        snapshot.texts.push_back("comment:" + Bytes(question->comment));
        snapshot.texts.push_back("explanation:" + Bytes(question->explanation));
        snapshot.texts.push_back(question->ordered ? "ordered" : "any order");
    }

    // Ask every question, typing each expected answer back, in both orders.
    for (const bool jumbled : {false, true}) {
        set.Reset();
        set.SetJumbled(jumbled);
        int32_t asked = 0;
        while (set.NextQuestion()) {
            const CQuestion& question = set.GetCurrentQuestion();
            for (int32_t i = 0; i < question.answers.GetCount() && i < 12; ++i)
                set.JudgeAnswer(question.answers.GetAt(i)->GetText(), i, true);
            set.GetCorrectAnswers();
            set.GetComment();
            set.GetExplanation();
            ++asked;
        }
        int32_t total = 0;
        int32_t right = 0;
        set.GetScore(total, right);
        if (asked != total || right > total)
            std::abort();
    }
    return snapshot;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = QuizPath();
    std::remove(path.c_str());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    const CSnapshot whole = LoadOnce(0, false);
    if (!(LoadOnce(1, false) == whole) || !(LoadOnce(5, true) == whole) ||
        !(LoadOnce(0, true) == whole))
        std::abort();
    std::remove(path.c_str());
    return 0;
}
