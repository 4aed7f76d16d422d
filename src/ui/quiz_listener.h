// What happened in a quiz, told as it happens to whoever reports it elsewhere
// (the browser player tells a learning platform's gradebook). The window logic
// decides everything; a listener only passes it on, and may be left out.
#pragma once

#include <string>
#include <vector>

struct CQuizScore {
    // Questions answered right at the first try, of all the quiz's questions.
    int right = 0;
    int total = 0;
};

struct CJudgedQuestion {
    // The question's place in the quiz file, counted from 1.
    int number = 0;
    // The boxes the question used, as the learner typed them (UTF-8).
    std::vector<std::string> typed;
    // The answers the question expects, as the file gives them (UTF-8).
    std::vector<std::string> expected;
    bool correct = false;
    // Asked again by Repeat Question: judged, but not counted in the score.
    bool repeated = false;
};

class CQuizListener {
public:
    // A quiz was opened, or restarted: a new attempt at its questions begins.
    virtual void OnQuizStarted(int questions) = 0;
    // A question is on the page and its boxes wait for answers.
    virtual void OnQuestionAsked(int number) = 0;
    virtual void OnQuestionJudged(const CJudgedQuestion& question) = 0;
    // The score is shown: the last question was answered, or the learner quit.
    virtual void OnQuizFinished(const CQuizScore& score) = 0;
    // The learner went away before the score was shown (the page was closed).
    virtual void OnQuizLeft(const CQuizScore& scoreSoFar) = 0;

protected:
    ~CQuizListener() = default;
};
