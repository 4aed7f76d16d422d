// Pattern engine speed for the four patterns the program searches with, each
// compiled afresh per search as the text buffer does: one search on a typical
// subject, compiling alone, searching alone, and whole jobs built from many
// searches (splitting a paragraph into words, breaking a quiz file into lines).
// Two hostile cases show the cost of long loops and of nested choices.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "pattern/pattern.h"

namespace {
constexpr const char* kWordCharacter =
    "[0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
constexpr const char* kNonWordCharacter =
    "[^0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz]";
constexpr const char* kLineBreak = "\r|\n";
constexpr const char* kSpace = " ";

// Subjects as the program meets them: a typed answer, the rest of a quiz file
// from the start of a line, and an option value.
constexpr const char* kTypedAnswer = "  the Treaty of Versailles, 1919!";
constexpr const char* kOptionValue = "0.8 of the words";

std::string QuizText() {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "What is the capital of country number " + std::to_string(i) +
                "?\r\n=Capital city " + std::to_string(i) + "\r\n#A comment about it\r\n\r\n";
    return text;
}

std::string Paragraph() {
    std::string text;
    while (text.size() < 1000)
        text += "The e-mail from Paris (France) arrived at 3.14 pm; Newton's laws, 1+1=2 and "
                "100% of the glass buses. ";
    return text;
}

int32_t CompileAndFind(const char* pattern, const char* subject) {
    CPattern compiled;
    return compiled.Compile(pattern) ? compiled.Find(subject) : -1;
}

void BM_CompileAndFind(benchmark::State& state, const char* pattern, const char* subject) {
    for (auto _ : state)
        benchmark::DoNotOptimize(CompileAndFind(pattern, subject));
}

void BM_CompileOnly(benchmark::State& state, const char* pattern) {
    for (auto _ : state) {
        CPattern compiled;
        benchmark::DoNotOptimize(compiled.Compile(pattern));
    }
}

void BM_FindOnly(benchmark::State& state, const char* pattern, const char* subject) {
    CPattern compiled;
    if (!compiled.Compile(pattern)) {
        state.SkipWithError("pattern does not compile");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(compiled.Find(subject));
}

// Words found by alternating searches for a word character and a separator, one
// compilation per search.
void BM_SplitParagraphIntoWords(benchmark::State& state) {
    const std::string text = Paragraph();
    int words = 0;
    for (auto _ : state) {
        words = 0;
        const char* p = text.c_str();
        for (;;) {
            const int32_t start = CompileAndFind(kWordCharacter, p);
            if (start < 0)
                break;
            p += start;
            ++words;
            const int32_t end = CompileAndFind(kNonWordCharacter, p);
            if (end < 0)
                break;
            p += end;
        }
        benchmark::DoNotOptimize(words);
    }
    state.counters["words"] = words;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

// Every line end of a quiz file found with one compilation of "\r|\n" each.
void BM_BreakQuizFileIntoLines(benchmark::State& state) {
    const std::string text = QuizText();
    int lines = 0;
    for (auto _ : state) {
        lines = 0;
        const char* p = text.c_str();
        while (*p) {
            const int32_t end = CompileAndFind(kLineBreak, p);
            ++lines;
            if (end < 0)
                break;
            p += end;
            while (*p == '\r' || *p == '\n')
                ++p;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = lines;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

// A loop over a megabyte: three backtracking points per pass, kept on the heap.
void BM_GroupLoopOverAMegabyte(benchmark::State& state) {
    std::string subject;
    for (int i = 0; i < 512 * 1024; ++i)
        subject += "ab";
    for (auto _ : state)
        benchmark::DoNotOptimize(CompileAndFind("(ab)*$", subject.c_str()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(subject.size()));
}

// Nested choices that plain backtracking would try 2^n ways.
void BM_NestedChoicesThatFail(benchmark::State& state) {
    const std::string subject = std::string(static_cast<size_t>(state.range(0)), 'a') + "d";
    for (auto _ : state)
        benchmark::DoNotOptimize(CompileAndFind("(a|a)*(b|c)", subject.c_str()));
}
} // namespace

BENCHMARK_CAPTURE(BM_CompileAndFind, WordCharacter, kWordCharacter, kTypedAnswer);
BENCHMARK_CAPTURE(BM_CompileAndFind, NonWordCharacter, kNonWordCharacter, kTypedAnswer + 6);
BENCHMARK_CAPTURE(BM_CompileAndFind, LineBreak, kLineBreak,
                  "What is the capital of country number 7?\r\n=Capital\r\n");
BENCHMARK_CAPTURE(BM_CompileAndFind, Space, kSpace, kOptionValue);

BENCHMARK_CAPTURE(BM_CompileOnly, WordCharacter, kWordCharacter);
BENCHMARK_CAPTURE(BM_CompileOnly, NonWordCharacter, kNonWordCharacter);
BENCHMARK_CAPTURE(BM_CompileOnly, LineBreak, kLineBreak);
BENCHMARK_CAPTURE(BM_CompileOnly, Space, kSpace);

BENCHMARK_CAPTURE(BM_FindOnly, WordCharacter, kWordCharacter, kTypedAnswer);
BENCHMARK_CAPTURE(BM_FindOnly, NonWordCharacter, kNonWordCharacter, kTypedAnswer + 6);
BENCHMARK_CAPTURE(BM_FindOnly, LineBreak, kLineBreak,
                  "What is the capital of country number 7?\r\n=Capital\r\n");
BENCHMARK_CAPTURE(BM_FindOnly, Space, kSpace, kOptionValue);

BENCHMARK(BM_SplitParagraphIntoWords);
BENCHMARK(BM_BreakQuizFileIntoLines);
BENCHMARK(BM_GroupLoopOverAMegabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NestedChoicesThatFail)->Arg(20)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
