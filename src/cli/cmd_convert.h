// torvi-cli convert: turns a vocabulary file, a spreadsheet or a flashcard
// export into a quiz, and a quiz into a vocabulary file, a spreadsheet or a
// web page that plays it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_common.h"
#include "convert/quiz_record.h"
#include "quiz/question_set.h"

// What an output writer gets: the loaded quiz, and its quiz text and number of
// questions when the input was converted into one (empty for an input that was
// a quiz already). A format that takes the quiz text as it stands is given a
// set that was never loaded.
struct CConvertedQuiz {
    const CQuestionSet& set;
    std::string_view quizText;
    int32_t questions = 0;
    std::string title;
    // The file converted, as named on the command line.
    std::string inputPath;
    // A SCORM package's passing score (0 to 100), when one was given.
    std::optional<int> passingPercent;
    // quizText is the input quiz file's own bytes, not a text made from it.
    bool quizTextIsInput = false;
};

// One output format of the command: its --to name, the file-name endings that
// choose it, and its writer (false, with report.error, when nothing can be
// written). One more format is one more row of the table in cmd_convert.cpp.
struct COutputFormat {
    const char* name;
    const char* endings; // space-separated, lower case, with the dot
    bool usesQuizText;   // writes a converted input's quiz text as it stands
    bool (*write)(const CConvertedQuiz& quiz, std::string& out, CConvertReport& report);
};

std::unique_ptr<CCliCommand> MakeConvertCommand();
