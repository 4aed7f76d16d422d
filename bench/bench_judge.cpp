// Answer judging speed: IsCorrect on a realistic pair (five expected words, six typed
// words, an ignore list of 100 words), and the word splitter, each beside the plain
// version built on one compiled pattern search per word boundary.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "judge/answer_judge.h"
#include "support/pattern_word_splitter.h"
#include "text/item_list.h"
#include "text/text_buffer.h"

namespace {
constexpr const char* kExpected = "The Treaty of Versailles 1919";
constexpr const char* kTyped = "the treaty of versailles in 1919";

constexpr const char* kIgnoreWords[] = {
    "a",        "an",      "the",     "that",    "these",   "those",      "some",   "any",
    "each",     "every",   "such",    "of",      "to",      "for",        "from",   "by",
    "with",     "at",      "in",      "on",      "into",    "onto",       "upon",   "unto",
    "about",    "among",   "amongst", "between", "through", "throughout", "during", "within",
    "without",  "against", "along",   "toward",  "via",     "per",        "as",     "than",
    "until",    "and",     "or",      "but",     "nor",     "so",         "if",     "because",
    "although", "though",  "while",   "whether", "either",  "neither",    "both",   "then",
    "be",       "am",      "is",      "are",     "was",     "were",       "been",   "being",
    "have",     "has",     "had",     "having",  "do",      "did",        "doing",  "shall",
    "should",   "would",   "could",   "ought",   "it",      "its",        "they",   "them",
    "their",    "he",      "him",     "his",     "she",     "her",        "we",     "our",
    "you",      "your",    "which",   "whom",    "whose",   "also",       "yet",    "thus",
    "hence",    "whereby", "unless",  "till"};
static_assert(std::size(kIgnoreWords) == 100);

void FillIgnoreList(CAnswerJudge& judge) {
    for (const char* word : kIgnoreWords)
        judge.ignoreWords.Add(new CTextBuffer(word));
}

// A paragraph of about a kilobyte with joined words, numbers and punctuation.
std::string Paragraph() {
    std::string text;
    while (text.size() < 1000)
        text += "The e-mail from Paris (France) arrived at 3.14 pm; Newton's laws, 1+1=2 and "
                "100% of the glass buses. ";
    return text;
}

void BM_IsCorrect(benchmark::State& state) {
    CAnswerJudge judge(nullptr);
    FillIgnoreList(judge);
    for (auto _ : state)
        benchmark::DoNotOptimize(judge.IsCorrect(kTyped, kExpected));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IsCorrect);

// The same judgement spelled out with word lists and the pattern-based splitter.
void BM_IsCorrectByPatternSteps(benchmark::State& state) {
    CAnswerJudge judge(nullptr);
    FillIgnoreList(judge);
    for (auto _ : state) {
        CTextList typedWords;
        CTextList expectedWords;
        SplitWordsByPattern(CTextBuffer(kTyped), typedWords);
        SplitWordsByPattern(CTextBuffer(kExpected), expectedWords);
        judge.RemoveIgnoredWords(expectedWords);
        const int32_t found = CAnswerJudge::CountFoundWords(expectedWords, typedWords);
        benchmark::DoNotOptimize(
            judge.AcceptsShare(CAnswerJudge::ComputeShare(found, expectedWords.GetCount())));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IsCorrectByPatternSteps);

// The same pair and list under the Unicode word rule: ASCII text takes the fast
// path that gives the same words.
void BM_IsCorrectUnicodeAscii(benchmark::State& state) {
    CAnswerJudge judge(nullptr);
    FillIgnoreList(judge);
    judge.wordRule = EWordRule::Unicode;
    for (auto _ : state)
        benchmark::DoNotOptimize(judge.IsCorrect(kTyped, kExpected));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IsCorrectUnicodeAscii);

// Short answers of other scripts under the Unicode rule, with and without
// accents, against the same 100-word ignore list; the typed text differs from
// the expected in case or in the form of its accents, so every step has work.
struct CScriptPair {
    const char* name;
    const char* typed;
    const char* expected;
};
constexpr CScriptPair kScriptPairs[] = {
    {"latin", "die \u00DCbersetzung des Stra\u00DFennamens", "Die Übersetzung des Straßennamens"},
    {"latin-decomposed", "le cafe\u0301 cre\u0300me", "Le café crème"},
    {"cyrillic", "КОШКА и собака", "кошка и собака"},
    {"greek", "Η ΟΔΟΣ της πόλης", "η οδός της πόλης"},
    {"devanagari", "नमस्ते दुनिया", "नमस्ते दुनिया"},
};

void BM_IsCorrectUnicodeScripts(benchmark::State& state) {
    const CScriptPair& pair = kScriptPairs[state.range(0)];
    CAnswerJudge judge(nullptr);
    FillIgnoreList(judge);
    judge.wordRule = state.range(1) ? EWordRule::UnicodeWithoutAccents : EWordRule::Unicode;
    for (auto _ : state)
        benchmark::DoNotOptimize(judge.IsCorrect(pair.typed, pair.expected));
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(pair.name) + (state.range(1) ? ", accents optional" : ""));
}
BENCHMARK(BM_IsCorrectUnicodeScripts)
    ->ArgsProduct({benchmark::CreateDenseRange(0, std::size(kScriptPairs) - 1, 1), {0, 1}});

void BM_SplitWordsAnswer(benchmark::State& state) {
    const CAnswerJudge judge(nullptr);
    const CTextBuffer text(kTyped);
    for (auto _ : state) {
        CTextList words;
        judge.SplitWords(text, words);
        benchmark::DoNotOptimize(words.GetCount());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SplitWordsAnswer);

void BM_SplitWordsByPatternAnswer(benchmark::State& state) {
    const CTextBuffer text(kTyped);
    for (auto _ : state) {
        CTextList words;
        SplitWordsByPattern(text, words);
        benchmark::DoNotOptimize(words.GetCount());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SplitWordsByPatternAnswer);

void BM_SplitWordsParagraph(benchmark::State& state) {
    const CAnswerJudge judge(nullptr);
    const CTextBuffer text(Paragraph().c_str());
    for (auto _ : state) {
        CTextList words;
        judge.SplitWords(text, words);
        benchmark::DoNotOptimize(words.GetCount());
    }
    state.SetBytesProcessed(state.iterations() * text.GetLength());
}
BENCHMARK(BM_SplitWordsParagraph);

void BM_SplitWordsByPatternParagraph(benchmark::State& state) {
    const CTextBuffer text(Paragraph().c_str());
    for (auto _ : state) {
        CTextList words;
        SplitWordsByPattern(text, words);
        benchmark::DoNotOptimize(words.GetCount());
    }
    state.SetBytesProcessed(state.iterations() * text.GetLength());
}
BENCHMARK(BM_SplitWordsByPatternParagraph);
} // namespace

// A long ignore list: n distinct lines with the usual words among them, as a file
// in the temporary folder so reading it is timed as torvi-cli judge reads it.
std::string WriteIgnoreFile(int64_t lines) {
    char path[] = "/tmp/bench_ignore_XXXXXX";
    const int fd = mkstemp(path);
    std::string text;
    text.reserve(static_cast<size_t>(lines) * 12);
    for (int64_t i = 0; i < lines; ++i) {
        if (i % 1000 < static_cast<int64_t>(std::size(kIgnoreWords)))
            text += kIgnoreWords[i % 1000];
        else
            text += "word" + std::to_string(i);
        text += '\n';
    }
    if (fd < 0 || write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        std::abort();
    close(fd);
    return path;
}

// Reading an ignore list of n lines and judging one answer with it: the whole of
// what a judgement costs the first time. Linear in n.
void BM_ReadIgnoreListAndJudge(benchmark::State& state) {
    const std::string path = WriteIgnoreFile(state.range(0));
    for (auto _ : state) {
        CAnswerJudge judge(path.c_str());
        benchmark::DoNotOptimize(judge.IsCorrect(kTyped, kExpected));
    }
    std::remove(path.c_str());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadIgnoreListAndJudge)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Each later answer judged with the same long list: a lookup per word, no scan.
void BM_IsCorrectWithLongIgnoreList(benchmark::State& state) {
    CAnswerJudge judge(nullptr);
    for (int64_t i = 0; i < state.range(0); ++i)
        judge.ignoreWords.Add(
            new CTextBuffer(i % 1000 < static_cast<int64_t>(std::size(kIgnoreWords))
                                ? kIgnoreWords[i % 1000]
                                : ("word" + std::to_string(i)).c_str()));
    judge.IsCorrect(kTyped, kExpected);
    for (auto _ : state)
        benchmark::DoNotOptimize(judge.IsCorrect(kTyped, kExpected));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IsCorrectWithLongIgnoreList)->Arg(10'000)->Arg(1'000'000);

// A quiz's DontIgnore options against a list of a million lines: 1,000 words that
// are not on it and 100 that are, each taken off as the loader does.
void BM_DontIgnoreOnLongIgnoreList(benchmark::State& state) {
    for (auto _ : state) {
        CAnswerJudge judge(nullptr);
        for (int64_t i = 0; i < 1'000'000; ++i)
            judge.ignoreWords.Add(new CTextBuffer(("word" + std::to_string(i)).c_str()));
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 1000; ++i)
            judge.RemoveIgnoreWord(("absent" + std::to_string(i)).c_str());
        for (int i = 0; i < 100; ++i)
            judge.RemoveIgnoreWord(("word" + std::to_string(i * 9973)).c_str());
        benchmark::DoNotOptimize(judge.ignoreWords.GetCount());
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}
BENCHMARK(BM_DontIgnoreOnLongIgnoreList)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

BENCHMARK_MAIN();
