// The choices a person can make when a file from another program is read.
#pragma once

#include <string>
#include <vector>

struct CConvertOptions {
    // Vocabulary files: the language that asks and the one that answers, each by
    // its number (from 0), name or locale; empty for the first and second. reverse
    // swaps them. lesson keeps only the entries of the lesson of that name (and of
    // the lessons inside it).
    std::string askLanguage;
    std::string answerLanguage;
    bool reverse = false;
    std::string lesson;

    // Spreadsheets: the separator ('\0' to tell it from the first line), whether
    // the first row names the columns (-1 to tell it from its names), and the
    // columns by number (from 1) or header name; empty for the usual ones.
    char separator = '\0';
    int header = -1;
    std::string questionColumn;
    std::vector<std::string> answerColumns;
    std::string commentColumn;
    std::string explanationColumn;

    // Every format: typed answers may leave the accents out (the quiz is written
    // with option:Accents:Optional).
    bool accentsOptional = false;
};
