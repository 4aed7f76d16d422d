// Sound cues during a quiz: which cue plays when, how it is chosen, and the
// Sound option that silences them without drawing random numbers.
#include <algorithm>
#include <string>
#include <vector>

#include "support/random_start.h"
#include "ui_test_support.h"

namespace {
struct CRandomSnapshot {
    int32_t lags[3] = {};
    std::vector<int32_t> table;
    bool operator==(const CRandomSnapshot& other) const {
        return std::equal(lags, lags + 3, other.lags) && table == other.table;
    }
};

CRandomSnapshot TakeRandomSnapshot() {
    CRandomSnapshot snapshot;
    GetRandomLags(snapshot.lags[0], snapshot.lags[1], snapshot.lags[2]);
    for (int32_t i = 0; i < 22; ++i)
        snapshot.table.push_back(GetRandomTableEntry(i));
    return snapshot;
}

// The word a question of twenty.txt asks for: "Question 1: type the word alpha."
std::string WordAsked(const std::string& question) {
    const size_t start = question.rfind(' ') + 1;
    return question.substr(start, question.size() - start - 1);
}

// Position of the first log line at or after from that begins with prefix.
size_t FindLog(const std::vector<std::string>& log, const std::string& prefix, size_t from = 0) {
    for (size_t i = from; i < log.size(); ++i)
        if (log[i].compare(0, prefix.size(), prefix) == 0)
            return i;
    return log.size();
}
} // namespace

class QuizSoundTest : public CQuizWindowTest {
protected:
    void AddAllCues() {
        AddCue("Start1.wav");
        AddCue("RightAnswer1.wav");
        AddCue("WrongAnswer1.wav");
    }
};

TEST_F(QuizSoundTest, StartCuePlaysAfterTheFirstQuestionPage) {
    AddAllCues();
    Start();
    Open("capitals.txt");
    EXPECT_EQ(m_player.played, std::vector<std::string>{"RIFFStart1.wav"});
    const size_t page = FindLog(m_log, "Navigate ");
    EXPECT_LT(page, FindLog(m_log, "Play ", page));
}

TEST_F(QuizSoundTest, StartCuePlaysForAQuizWithoutQuestions) {
    AddAllCues();
    Start();
    Open("no_questions.txt");
    EXPECT_EQ(m_player.played, std::vector<std::string>{"RIFFStart1.wav"});
}

TEST_F(QuizSoundTest, RightCuePlaysAfterItsFeedbackAndBeforeTheNextPage) {
    AddAllCues();
    Start();
    Open("capitals.txt");
    m_log.clear();
    Answer({"Paris"});
    const size_t feedback = FindLog(m_log, "SetFeedbackText You are Correct!!!");
    const size_t cue = FindLog(m_log, "Play RIFFRightAnswer1.wav");
    const size_t page = FindLog(m_log, "Navigate ");
    EXPECT_LT(feedback, cue);
    EXPECT_LT(cue, page);
    EXPECT_LT(page, m_log.size());
}

TEST_F(QuizSoundTest, WrongCuePlaysAfterItsFeedback) {
    AddAllCues();
    Start();
    Open("capitals.txt");
    m_log.clear();
    Answer({"Rome"});
    const size_t feedback = FindLog(m_log, "SetFeedbackText You are wrong");
    EXPECT_LT(feedback, FindLog(m_log, "Play RIFFWrongAnswer1.wav", feedback));
}

TEST_F(QuizSoundTest, NoCuePlaysForTheScoreOrACancelledOpen) {
    AddAllCues();
    Start();
    Open("twenty.txt");
    m_player.played.clear();
    m_dlg->OnQuit();
    m_window.QueueCancel();
    m_dlg->OnFileOpen();
    EXPECT_TRUE(m_player.played.empty());
}

TEST_F(QuizSoundTest, CueIsChosenByTheRandomSource) {
    AddCue("RightAnswer1.wav");
    AddCue("RightAnswer2.wav");
    AddCue("RightAnswer3.wav");
    Start();
    Open("twenty.txt");
    std::vector<std::string> expected;
    SetRandomLags(4, 9, 13);
    for (int i = 0; i < 5; ++i)
        expected.push_back("RIFFRightAnswer" + std::to_string(RandomBelow(3) + 1) + ".wav");
    RestartRandomSource();
    SetRandomLags(4, 9, 13);
    for (int i = 0; i < 5; ++i)
        Answer({WordAsked(QuestionOnPage())});
    EXPECT_EQ(m_player.played, expected);
}

TEST_F(QuizSoundTest, SoundOffPlaysNothingAndDrawsNoRandomNumber) {
    AddAllCues();
    Start();
    m_dlg->OnOptionsSound();
    EXPECT_FALSE(m_dlg->IsSoundOn());
    EXPECT_FALSE(m_window.IsMenuChecked(EMenuItem::Sound));
    const CRandomSnapshot before = TakeRandomSnapshot();
    Open("capitals.txt");
    Answer({"Paris"});
    Answer({"red"});
    m_dlg->OnEnter();
    EXPECT_TRUE(m_player.played.empty());
    EXPECT_TRUE(TakeRandomSnapshot() == before);
}

TEST_F(QuizSoundTest, SoundOnAgainPlaysTheNextCue) {
    AddAllCues();
    Start();
    m_dlg->OnOptionsSound();
    m_dlg->OnOptionsSound();
    EXPECT_TRUE(m_dlg->IsSoundOn());
    EXPECT_TRUE(m_window.IsMenuChecked(EMenuItem::Sound));
    Open("capitals.txt");
    Answer({"Rome"});
    EXPECT_EQ(m_player.played,
              (std::vector<std::string>{"RIFFStart1.wav", "RIFFWrongAnswer1.wav"}));
}

TEST_F(QuizSoundTest, WithoutCuesEveryMomentIsSilentAndDrawsNothing) {
    Start();
    const CRandomSnapshot before = TakeRandomSnapshot();
    Open("capitals.txt");
    Answer({"Paris"});
    Answer({"red"});
    EXPECT_TRUE(m_player.played.empty());
    EXPECT_TRUE(TakeRandomSnapshot() == before);
}

TEST_F(QuizSoundTest, ClosingTheDialogStopsThePlayer) {
    AddAllCues();
    Start();
    Open("capitals.txt");
    m_dlg.reset();
    EXPECT_EQ(m_player.stops, 1);
    EXPECT_EQ(m_log.back(), "Stop");
}
