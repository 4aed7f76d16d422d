// The quiz author's checks: what keeps a quiz file from loading, and what loads
// but will not work as its author probably meant, each at its line. Shared by
// torvi-cli check and the quiz editor, so both say the same about a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "judge/answer_judge.h"
#include "quiz/question_set.h"

// Turns quiz bytes into the text a report shows (UTF-8).
using QuizTextForDisplay = std::string (*)(std::string_view bytes);

// An edit that puts right what a diagnostic is about, for a tool that can make it.
enum class EQuizFix : unsigned char {
    None,
    // kWordsUnicodeOption as a line of its own at the very start of the file.
    AddWordsUnicodeOption,
};

// The option line that has the judge read words in every alphabet.
constexpr const char kWordsUnicodeOption[] = "option:Words:Unicode";

struct CQuizDiagnostic {
    int32_t line = 0; // from 1
    bool error = false;
    std::string text;
    EQuizFix fix = EQuizFix::None;
};

struct CQuizCheck {
    bool loaded = false;
    // The file could not be read at all; nothing else is known.
    bool cannotOpen = false;
    int32_t questionCount = 0;
    // In line order; diagnostics on one line keep the order they were found in.
    std::vector<CQuizDiagnostic> diagnostics;

    size_t CountErrors() const;
    size_t CountWarnings() const { return diagnostics.size() - CountErrors(); }
    // True when some diagnostic is put right by that fix.
    bool Offers(EQuizFix fix) const;
    // "N questions, E errors, W warnings", each noun in the singular when it is 1.
    std::string Summary() const;
};

// What the checks find in a load that has just been made with a report; display
// turns the quoted bytes of the file into UTF-8.
CQuizCheck CheckLoadedQuiz(const CQuestionSet& set, bool loaded, const CLoadReport& report,
                           QuizTextForDisplay display);

// Loads the file at path on its own, as if it were the first quiz opened, with a
// copy of ignoreList's words, and checks it.
CQuizCheck CheckQuizFile(const std::string& path, const CAnswerJudge& ignoreList,
                         QuizTextForDisplay display);

// The same for a quiz's bytes already read (a file read once, or the text a
// conversion made).
CQuizCheck CheckQuizBytes(std::string_view bytes, const CAnswerJudge& ignoreList,
                          QuizTextForDisplay display);

// Loads quiz bytes that are not in a file (an editor's text) with the same
// loader, into set, whose ignore list and threshold the caller has prepared.
// The bytes are handed over through an anonymous in-memory file, so nothing is
// written to disk. False when the loader refuses them; report->error then says why.
bool LoadQuizBytes(CQuestionSet& set, std::string_view bytes, CLoadReport* report);

// "3 questions", "1 question".
std::string CountedNoun(size_t n, const char* what);
