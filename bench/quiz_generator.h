// Generated quiz files for the load benchmarks: plain questions, continued
// questions and answers, several answers, ordered answers, comments and HTML
// explanations, about a hundred bytes per question.
#pragma once

#include <string>

inline std::string MakeQuizText(int questions) {
    std::string text = "option:PercentForCorrect:0.7\noption:DontIgnore:the\n\n";
    text.reserve(static_cast<size_t>(questions) * 104 + 64);
    for (int i = 0; i < questions; ++i) {
        const std::string n = std::to_string(i);
        if (i % 5 == 0)
            text += "Question " + n + ": which word did entry " + n + " of the list/\nhold?\n";
        else
            text += "Question " + n + ": which word did entry " + n + " of the list hold?\n";
        if (i % 7 == 0)
            text += ">>";
        if (i % 4 == 0)
            text += "red " + n + "/\ngreen " + n + "\\\nblue " + n + "\n";
        else
            text += "answer number " + n + "\n";
        if (i % 3 == 0)
            text += ";Remember entry " + n + ".\n";
        if (i % 10 == 0)
            text += "~<html><body>Entry " + n + " explained.</body></html>\n";
        text += "\n";
    }
    return text;
}

// One HTML question of about 1 MB spread over 20,000 lines, and its answer.
inline std::string MakeHtmlQuizText() {
    std::string text = "<html><body>\n";
    text.reserve(1'100'000);
    for (int i = 0; i < 20'000; ++i) {
        const std::string n = std::to_string(i);
        text += "<p>Line " + n + " of a long page; it says little at length.</p>\n";
    }
    text += "</body></html>\nanswer\n";
    return text;
}
