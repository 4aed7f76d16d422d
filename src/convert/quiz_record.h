// What every reader of another program's file hands on: records in the quiz's
// own terms, and a report of what became of each record of the input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One question as a reader found it, its texts in UTF-8. A question or
// explanation that begins with "<html" is a page; any other text is plain, its
// lines joined by LF.
struct CQuizRecord {
    std::string question;
    std::vector<std::string> answers;
    std::string comment;
    std::string explanation;
    bool ordered = false;
    // Where the record stands in its input, as a person would find it: "line 12",
    // "row 4", "entry 7".
    std::string where;
    // The record's place in its input, so that what readers and writers leave
    // out is reported in the input's order.
    int64_t sequence = 0;
};

struct CConvertReport {
    struct CSkipped {
        std::string where;
        std::string why;
        int64_t sequence = 0;
    };
    // Records that made it into the output.
    int32_t converted = 0;
    std::vector<CSkipped> skipped;
    // Remarks about the whole input that change nothing the output holds, yet
    // are worth knowing ("read as Windows-1252", "3 entries outside the lesson").
    std::vector<std::string> notes;
    // Set when the whole input failed; one line, and nothing was converted.
    std::string error;

    bool Failed() const { return !error.empty(); }
    void Skip(std::string where, std::string why, int64_t sequence = 0) {
        skipped.push_back({std::move(where), std::move(why), sequence});
    }
    // The report as lines for a person: the notes, one line per skipped record,
    // then "N questions converted, M records skipped." (or the error alone).
    std::vector<std::string> Lines() const;
};

// A text as the quiz format can hold it inside one block: line ends become LF,
// blanks at the ends of lines and empty lines are dropped, and so are blanks
// at the start of the text when trimStart is true.
std::string NormalizeText(std::string_view text, bool trimStart = true);
