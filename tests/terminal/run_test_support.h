// What the session tests share: the quizzes under tests/data/run, typed input
// and expected transcripts as lines, and the window's texts they expect.
#pragma once

#include <string>
#include <vector>

namespace run_test {

inline const std::string kWrong =
    "You are wrong, the correct answer is:      {Press Enter to continue}";
inline const std::string kFinished = "Press Enter to leave, or type :restart to play again: ";

inline std::string Quiz(const std::string& name) {
    return std::string(TORVI_TEST_DATA_DIR) + "/run/" + name;
}

// Each line with its line end.
inline std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace run_test
