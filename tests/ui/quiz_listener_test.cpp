// What a listener hears of a quiz, in order: the attempt, each question asked
// and judged with the boxes as typed, and the score at the end or on leaving.
#include <sstream>

#include "ui_test_support.h"

namespace {
class CRecordingListener final : public CQuizListener {
public:
    std::vector<std::string> events;

    void OnQuizStarted(int questions) override {
        events.push_back("started " + std::to_string(questions));
    }
    void OnQuestionAsked(int number) override { events.push_back("asked " + std::to_string(number)); }
    void OnQuestionJudged(const CJudgedQuestion& question) override {
        std::ostringstream line;
        line << "judged " << question.number << (question.correct ? " right" : " wrong")
             << (question.repeated ? " repeated" : "") << " typed";
        for (const std::string& text : question.typed)
            line << " [" << text << "]";
        line << " expected";
        for (const std::string& text : question.expected)
            line << " [" << text << "]";
        events.push_back(line.str());
    }
    void OnQuizFinished(const CQuizScore& score) override {
        events.push_back("finished " + std::to_string(score.right) + "/" +
                         std::to_string(score.total));
    }
    void OnQuizLeft(const CQuizScore& score) override {
        events.push_back("left " + std::to_string(score.right) + "/" +
                         std::to_string(score.total));
    }
};

class QuizListenerTest : public CQuizWindowTest {
protected:
    void StartListening() {
        Start();
        m_dlg->SetListener(&m_listener);
    }
    CRecordingListener m_listener;
};

using Events = std::vector<std::string>;

TEST_F(QuizListenerTest, AWholeQuizIsToldQuestionByQuestionWithTheScoreLast) {
    StartListening();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"blue", "red"});
    m_dlg->OnEnter();
    Answer({"c", "b", "a"});
    EXPECT_EQ(m_listener.events,
              (Events{"started 3", "asked 1",
                      "judged 1 right typed [paris] expected [Paris]", "asked 2",
                      "judged 2 wrong typed [blue] [red] [] expected [red] [green] [blue]",
                      "asked 3",
                      "judged 3 wrong typed [c] [b] [a] expected [a] [b] [c]"}));
    m_dlg->OnEnter();
    EXPECT_EQ(m_listener.events.back(), "finished 1/3");
    // Leaving after the score tells nothing more.
    m_dlg->OnLeave();
    EXPECT_EQ(m_listener.events.size(), 8u);
}

TEST_F(QuizListenerTest, ARepeatedQuestionIsJudgedAgainWithoutCountingAndQuitTellsTheScore) {
    StartListening();
    Open("capitals.txt");
    Answer({"London"});
    m_dlg->OnRepeatQuestion();
    Answer({"Paris"});
    m_dlg->OnQuit();
    EXPECT_EQ(m_listener.events,
              (Events{"started 3", "asked 1", "judged 1 wrong typed [London] expected [Paris]",
                      "asked 1", "judged 1 right repeated typed [Paris] expected [Paris]",
                      "asked 2", "finished 0/3"}));
}

TEST_F(QuizListenerTest, LeavingMidwayTellsTheScoreSoFarAndRestartBeginsAgain) {
    StartListening();
    Open("capitals.txt");
    Answer({"paris"});
    m_dlg->OnRestart();
    m_dlg->OnLeave();
    EXPECT_EQ(m_listener.events,
              (Events{"started 3", "asked 1", "judged 1 right typed [paris] expected [Paris]",
                      "asked 2", "started 3", "asked 1", "left 0/3"}));
}

TEST_F(QuizListenerTest, AJumbledQuizNamesEachQuestionByItsPlaceInTheFile) {
    StartListening();
    m_dlg->OnOrderJumbledUp();
    Open("twenty.txt");
    std::vector<bool> seen(21, false);
    for (int asked = 0; asked < 20; ++asked) {
        const std::string last = m_listener.events.back();
        ASSERT_EQ(last.rfind("asked ", 0), 0u) << last;
        const int number = std::stoi(last.substr(6));
        ASSERT_TRUE(number >= 1 && number <= 20 && !seen[number]) << number;
        seen[number] = true;
        // "Question N: type the word W." names its place in the file.
        const std::string page = QuestionOnPage();
        EXPECT_EQ(page.rfind("Question " + std::to_string(number) + ":", 0), 0u) << page;
        const size_t word = page.find("the word ") + 9;
        Answer({page.substr(word, page.find('.', word) - word)});
    }
    EXPECT_EQ(m_listener.events.back(), "finished 20/20");
    EXPECT_EQ(m_listener.events.size(), 1u + 20 * 2 + 1);
}

TEST_F(QuizListenerTest, ACp1252QuizTellsItsAnswersInUtf8) {
    StartListening();
    Open("latin1.txt");
    Answer({"café crème"});
    ASSERT_GE(m_listener.events.size(), 3u);
    EXPECT_EQ(m_listener.events[2], "judged 1 right typed [café crème] expected [café crème]");
}
} // namespace
