// Loading speed of quiz files: generated quizzes of a thousand to a hundred
// thousand questions, and one HTML question of a megabyte over 20,000 lines.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "quiz/question_set.h"
#include "quiz_generator.h"

namespace {
std::string WriteTemporary(const std::string& name, const std::string& bytes) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void LoadRepeatedly(benchmark::State& state, const std::string& path, int64_t fileBytes,
                    int32_t expectedQuestions) {
    for (auto _ : state) {
        // Each load goes into a new set, as when the program opens its first quiz;
        // freeing the set afterwards is not part of the load.
        state.PauseTiming();
        auto set = std::make_unique<CQuestionSet>(nullptr);
        state.ResumeTiming();
        const bool ok = set->Load(path.c_str());
        if (!ok || set->GetQuestions().GetCount() != expectedQuestions) {
            state.SkipWithError("the generated quiz did not load as expected");
            break;
        }
        benchmark::DoNotOptimize(set->GetQuestions().GetCount());
        state.PauseTiming();
        set.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * fileBytes);
    state.counters["file_MB"] = static_cast<double>(fileBytes) / 1e6;
}

// Opening one quiz after another in the same set: each load first frees the
// quiz before it.
void BM_LoadQuizAgain(benchmark::State& state) {
    const int questions = static_cast<int>(state.range(0));
    const std::string text = MakeQuizText(questions);
    const std::string path =
        WriteTemporary("torvi-bench-again-" + std::to_string(questions) + ".txt", text);
    CQuestionSet set(nullptr);
    for (auto _ : state) {
        if (!set.Load(path.c_str()) || set.GetQuestions().GetCount() != questions) {
            state.SkipWithError("the generated quiz did not load as expected");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadQuizAgain)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_LoadQuiz(benchmark::State& state) {
    const int questions = static_cast<int>(state.range(0));
    const std::string text = MakeQuizText(questions);
    const std::string path =
        WriteTemporary("torvi-bench-" + std::to_string(questions) + ".txt", text);
    LoadRepeatedly(state, path, static_cast<int64_t>(text.size()), questions);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadQuiz)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_LoadHtmlBlock(benchmark::State& state) {
    const std::string text = MakeHtmlQuizText();
    const std::string path = WriteTemporary("torvi-bench-html.txt", text);
    LoadRepeatedly(state, path, static_cast<int64_t>(text.size()), 1);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadHtmlBlock)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
