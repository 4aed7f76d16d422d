// What each line of a quiz text is to the loader, for colouring it: the lines
// are walked the way the loader walks them (the option header only from the
// very first character, blank lines skipped except a blank first line, HTML
// blocks up to "</html>", continuation marks, ";" and "~" only after an answer
// block), so that the colours show the traps as the loader will read them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

enum class ELineRole : uint8_t {
    Blank,       // skipped by the loader
    Option,      // an "option:" line of the header
    Question,    // a line of a question block
    Answer,      // a line of an answer block
    Comment,     // a line of a ";" block
    Explanation, // a line of a "~" block
};

struct CLineRole {
    ELineRole role = ELineRole::Blank;
    // The line belongs to an HTML block ("<html" or "<!DOCTYPE" up to "</html>").
    bool html = false;
    // The line's continuation mark(s) join the next line to the block: they start
    // at this column (bytes); -1 when the line does not continue.
    int32_t continuationAt = -1;
    // The first line of its block (where a ";", "~" or ">>" mark stands).
    bool blockStart = false;
};

// One entry per line of text (LF line ends); a text ending in LF has an empty last line.
std::vector<CLineRole> ClassifyQuizLines(std::string_view text);
