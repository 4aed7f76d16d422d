// Whole quizzes played through CTorviDlg on the scripted window: the stable
// states, what the controls show in each, judging, and the user's ways of
// steering the quiz.
#include <string>
#include <vector>

#include "support/random_start.h"
#include "ui_test_support.h"

namespace {
const char kWrongPrefix[] =
    "You are wrong, the correct answer is:      {Press Enter to continue}\r\n";

const std::vector<std::string> kTwentyWords = {"alpha",   "bravo",  "charlie", "delta",    "echo",
                                               "foxtrot", "golf",   "hotel",   "india",    "juliet",
                                               "kilo",    "lima",   "mike",    "november", "oscar",
                                               "papa",    "quebec", "romeo",   "sierra",   "tango"};

std::string TwentyQuestion(size_t index) {
    return "Question " + std::to_string(index + 1) + ": type the word " + kTwentyWords[index] + ".";
}

// The question indices that jumbled order draws over count questions, from the
// random source as it stands: up to 19 draws look for a question not yet asked,
// a 20th draw is made but the first unasked question is taken.
std::vector<int> DrawJumbledOrder(int count, std::vector<bool> asked) {
    std::vector<int> order;
    for (;;) {
        int unasked = -1;
        for (int i = 0; i < count && unasked < 0; ++i)
            if (!asked[static_cast<size_t>(i)])
                unasked = i;
        if (unasked < 0)
            return order;
        int pick = -1;
        for (int draw = 0; draw < 20 && pick < 0; ++draw) {
            const int j = RandomBelow(count);
            if (draw < 19 && !asked[static_cast<size_t>(j)])
                pick = j;
        }
        if (pick < 0)
            pick = unasked;
        asked[static_cast<size_t>(pick)] = true;
        order.push_back(pick);
    }
}
} // namespace

class QuizFlowTest : public CQuizWindowTest {
protected:
    void ExpectAskingWithBoxes(int used) {
        EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
        ExpectButtons(false, true, true, false);
        for (int box = 0; box < CWindowServices::kAnswerBoxes; ++box) {
            EXPECT_EQ(m_window.boxes[box].text, "") << "box " << box;
            EXPECT_EQ(m_window.boxes[box].enabled, box < used) << "box " << box;
            EXPECT_EQ(m_window.boxes[box].shown, box < used) << "box " << box;
        }
        EXPECT_EQ(m_window.focusedBox, 0);
    }
    void ExpectAllBoxesDisabled() {
        for (int box = 0; box < CWindowServices::kAnswerBoxes; ++box)
            EXPECT_FALSE(m_window.boxes[box].enabled) << "box " << box;
    }
};

TEST_F(QuizFlowTest, OpeningAQuizAsksItsFirstQuestion) {
    Start();
    Open("capitals.txt");
    EXPECT_EQ(m_window.title, "Halvan Torvi - " + QuizPath("capitals.txt"));
    ExpectAskingWithBoxes(1);
    EXPECT_EQ(QuestionOnPage(), "What is the capital of France?");
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "QuestionTemp.html");
    EXPECT_EQ(m_window.feedback, "");
    EXPECT_EQ(m_window.comment, "");
}

TEST_F(QuizFlowTest, RightAnswerIsConfirmedAndTheNextQuestionAskedAtOnce) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\nParis");
    EXPECT_EQ(m_window.comment, "Paris lies on the Seine,\r\nand has for centuries.");
    ExpectAskingWithBoxes(3);
    EXPECT_EQ(QuestionOnPage(), "Name the primary colours of light,<br>\nin any order.");
}

TEST_F(QuizFlowTest, WrongAnswerShowsTheCorrectionUntilEnter) {
    Start();
    Open("capitals.txt");
    const size_t pages = m_window.navigations.size();
    Answer({"London"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
    EXPECT_EQ(m_window.feedback, std::string(kWrongPrefix) + "Paris");
    EXPECT_EQ(m_window.comment, "Paris lies on the Seine,\r\nand has for centuries.");
    ExpectButtons(true, true, true, true);
    ExpectAllBoxesDisabled();
    EXPECT_EQ(m_window.boxes[0].text, "London");
    EXPECT_EQ(m_window.navigations.size(), pages);

    m_dlg->OnEnter();
    ExpectAskingWithBoxes(3);
    EXPECT_EQ(m_window.feedback, "");
    EXPECT_EQ(m_window.comment, "");
    EXPECT_EQ(QuestionOnPage(), "Name the primary colours of light,<br>\nin any order.");
}

TEST_F(QuizFlowTest, CorrectionListsEveryExpectedAnswerOnItsOwnLine) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"red", "green", "yellow"});
    EXPECT_EQ(m_window.feedback, std::string(kWrongPrefix) + "red\r\ngreen\r\nblue");
    EXPECT_EQ(m_window.comment, "");
}

TEST_F(QuizFlowTest, ExplanationButtonIsOnlyForAWrongAnswerWithAnExplanation) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    EXPECT_FALSE(m_window.IsButtonEnabled(EButton::Explanation));
    Answer({"red", "green", "yellow"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
    ExpectButtons(false, true, true, true);
    m_dlg->OnExplanation();
    EXPECT_EQ(ReadProgramFile("ExplanationTemp.html"), "<missing>");
}

TEST_F(QuizFlowTest, ExplanationShowsItsPageAndLeavesTheStateAlone) {
    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    m_dlg->OnExplanation();
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "ExplanationTemp.html");
    EXPECT_EQ(ReadProgramFile("ExplanationTemp.html"),
              "<html><body>Paris has been the capital since the Middle Ages.</body></html>");
    m_dlg->OnEnter();
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "QuestionTemp.html");
}

TEST_F(QuizFlowTest, AnswersMayStandInAnyBoxInAnyOrder) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"Blue", "red", "GREEN"});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\nred\r\ngreen\r\nblue");
}

TEST_F(QuizFlowTest, OneBoxMaySatisfySeveralAnswers) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"red green and blue", "", ""});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\nred\r\ngreen\r\nblue");
}

TEST_F(QuizFlowTest, TheSameTextInEveryBoxMustMatchEveryAnswer) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"red", "red", "red"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
}

TEST_F(QuizFlowTest, OrderedAnswersMustStandInTheirOwnBoxes) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"red", "green", "blue"});
    Answer({"b", "a", "c"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
    EXPECT_EQ(m_window.comment, "Alphabet");
    m_dlg->OnRestart();
    Answer({"paris"});
    Answer({"red", "green", "blue"});
    Answer({"a", "b", "c"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
    EXPECT_EQ(m_window.feedback, "You got 3/3 right.");
}

TEST_F(QuizFlowTest, RepeatAsksTheSameQuestionAgainAndScoresNothing) {
    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    const size_t pages = m_window.navigations.size();
    m_dlg->OnRepeatQuestion();
    ExpectAskingWithBoxes(1);
    EXPECT_EQ(m_window.feedback, "");
    EXPECT_EQ(m_window.comment, "");
    EXPECT_EQ(m_window.navigations.size(), pages + 1);
    EXPECT_EQ(QuestionOnPage(), "What is the capital of France?");

    Answer({"Paris"});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\nParis");
    Answer({"red", "green", "blue"});
    Answer({"a", "b", "c"});
    EXPECT_EQ(m_window.feedback, "You got 2/3 right.");
}

TEST_F(QuizFlowTest, RepeatFlagIsClearedWhenTheNextQuestionIsFetched) {
    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    m_dlg->OnRepeatQuestion();
    Answer({"Rome"});
    m_dlg->OnEnter();
    Answer({"red", "green", "blue"});
    Answer({"a", "b", "c"});
    EXPECT_EQ(m_window.feedback, "You got 2/3 right.");
}

TEST_F(QuizFlowTest, QuitMidQuizScoresAgainstEveryQuestionOfTheFile) {
    Start();
    Open("twenty.txt");
    Answer({"alpha"});
    Answer({"bravo"});
    Answer({"wrong"});
    m_dlg->OnEnter();
    Answer({"delta"});
    m_dlg->OnQuit();
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
    EXPECT_EQ(m_window.feedback, "You got 3/20 right.");
    EXPECT_EQ(m_window.comment, "");
    ExpectButtons(false, false, true, false);
    ExpectAllBoxesDisabled();
}

TEST_F(QuizFlowTest, QuitWhileACorrectionIsShownEndsTheQuiz) {
    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    m_dlg->OnQuit();
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
    EXPECT_EQ(m_window.feedback, "You got 0/3 right.");
}

TEST_F(QuizFlowTest, LastAnswerShowsTheScoreAndKeepsThePageAndBoxes) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"red", "green", "blue"});
    const size_t pages = m_window.navigations.size();
    Answer({"a", "b", "c"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
    EXPECT_EQ(m_window.feedback, "You got 3/3 right.");
    EXPECT_EQ(m_window.comment, "");
    EXPECT_EQ(m_window.navigations.size(), pages);
    ExpectButtons(false, false, true, false);
    ExpectAllBoxesDisabled();
    for (int box = 0; box < CWindowServices::kAnswerBoxes; ++box)
        EXPECT_EQ(m_window.boxes[box].shown, box < 3) << "box " << box;
}

TEST_F(QuizFlowTest, RestartAfterTheScoreBeginsAgainFromNothing) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Answer({"red", "green", "blue"});
    Answer({"a", "b", "c"});
    m_dlg->OnRestart();
    ExpectAskingWithBoxes(1);
    EXPECT_EQ(m_window.feedback, "");
    EXPECT_EQ(QuestionOnPage(), "What is the capital of France?");
    m_dlg->OnQuit();
    EXPECT_EQ(m_window.feedback, "You got 0/3 right.");
}

TEST_F(QuizFlowTest, RestartMidQuizAsksTheFirstQuestionAgain) {
    Start();
    Open("twenty.txt");
    Answer({"alpha"});
    Answer({"bravo"});
    m_dlg->OnRestart();
    EXPECT_EQ(QuestionOnPage(), TwentyQuestion(0));
    Answer({"alpha"});
    m_dlg->OnQuit();
    EXPECT_EQ(m_window.feedback, "You got 1/20 right.");
}

TEST_F(QuizFlowTest, EnterDoesNothingBeforeAQuizAndAfterTheScore) {
    Start();
    size_t calls = m_log.size();
    m_dlg->OnEnter();
    EXPECT_EQ(m_log.size(), calls);
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);

    Open("twenty.txt");
    Answer({"alpha"});
    m_dlg->OnQuit();
    calls = m_log.size();
    m_dlg->OnEnter();
    EXPECT_EQ(m_log.size(), calls);
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
}

TEST_F(QuizFlowTest, QuestionWithoutAnswersShowsNoBoxAndScoresNothing) {
    Start();
    Open("html_and_empty.txt");
    Answer({"Bold"});
    ExpectAskingWithBoxes(0);
    EXPECT_EQ(QuestionOnPage(), "Just press Enter.");
    m_dlg->OnEnter();
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
    EXPECT_EQ(m_window.feedback, "You got 1/2 right.");
}

TEST_F(QuizFlowTest, QuestionWithTwelveAnswersIsJudgedOnTheTenBoxes) {
    const std::vector<std::string> months = {"january",   "february", "march", "april",
                                             "may",       "june",     "july",  "august",
                                             "september", "october"};
    Start();
    Open("twelve_answers.txt");
    ExpectAskingWithBoxes(10);
    Answer(months);
    EXPECT_EQ(m_window.feedback.substr(0, 22), "You are Correct!!!\r\n\r\n");
    EXPECT_NE(m_window.feedback.find("\r\nnovember\r\ndecember"), std::string::npos);
    for (int box = 10; box < 20; ++box)
        EXPECT_EQ(m_window.CountLog("GetAnswerText " + std::to_string(box)), 0);
    Answer({"december"});
    EXPECT_EQ(m_window.feedback, "You got 2/2 right.");
}

TEST_F(QuizFlowTest, QuestionWithTwelveAnswersIsWrongWhenATenthBoxMisses) {
    Start();
    Open("twelve_answers.txt");
    Answer({"january", "february", "march", "april", "may", "june", "july", "august", "september",
            "november"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
}

TEST_F(QuizFlowTest, OnlyTheFirst4095BytesOfABoxAreJudged) {
    Start();
    Open("twenty.txt");
    Answer({std::string(4090, ' ') + "alpha"});
    EXPECT_EQ(m_window.feedback, "You are Correct!!!\r\n\r\nalpha");
    Answer({std::string(4091, ' ') + "bravo"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
}

TEST_F(QuizFlowTest, EventsArrivingDuringATransitionAreDropped) {
    Start();
    Open("capitals.txt");
    bool sawBusy = false;
    bool armed = true;
    m_window.onNavigate = [&] {
        if (!armed)
            return;
        armed = false;
        sawBusy = m_dlg->IsBusy();
        m_dlg->OnEnter();
        m_dlg->OnQuit();
        m_dlg->OnRestart();
        m_dlg->OnRepeatQuestion();
    };
    const size_t pages = m_window.navigations.size();
    Answer({"paris"});
    EXPECT_TRUE(sawBusy);
    EXPECT_FALSE(m_dlg->IsBusy());
    EXPECT_EQ(m_window.navigations.size(), pages + 1);
    ExpectAskingWithBoxes(3);
    EXPECT_EQ(QuestionOnPage(), "Name the primary colours of light,<br>\nin any order.");
    // Neither the Quit nor the Repeat Question of that moment had any effect:
    // the quiz goes on and the question keeps its point.
    Answer({"red", "green", "blue"});
    Answer({"a", "b", "c"});
    EXPECT_EQ(m_window.feedback, "You got 3/3 right.");
}

TEST_F(QuizFlowTest, OpeningASecondFileMidQuizStartsItAtOnce) {
    Start();
    Open("capitals.txt");
    Answer({"paris"});
    Open("twenty.txt");
    EXPECT_EQ(m_window.title, "Halvan Torvi - " + QuizPath("twenty.txt"));
    ExpectAskingWithBoxes(1);
    EXPECT_EQ(QuestionOnPage(), TwentyQuestion(0));
    m_dlg->OnQuit();
    EXPECT_EQ(m_window.feedback, "You got 0/20 right.");
}

TEST_F(QuizFlowTest, QuizWithoutQuestionsGoesStraightToTheScore) {
    Start();
    Open("no_questions.txt");
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
    EXPECT_EQ(m_window.feedback, "You got 0/0 right.");
    ExpectButtons(false, false, true, false);
    EXPECT_EQ(ReadProgramFile("QuestionTemp.html"), "<missing>");
    m_dlg->OnRestart();
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
}

TEST_F(QuizFlowTest, FailedLoadShowsTheMessageAndGoesBackToNoQuiz) {
    Start();
    Open("capitals.txt");
    Answer({"Rome"});
    Open("bad_syntax.txt");
    ASSERT_EQ(m_window.messageBoxes.size(), 1u);
    EXPECT_EQ(m_window.messageBoxes[0].first,
              "Bad Syntax for Torvi file.\n\n It's probably a question not matched with an "
              "answer.");
    EXPECT_EQ(m_window.messageBoxes[0].second, "Torvi");
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "Welcome.htm");
    EXPECT_EQ(m_window.title, "Halvan Torvi");
    EXPECT_EQ(m_window.feedback, "");
    EXPECT_EQ(m_window.comment, "");
    ExpectButtons(false, false, false, false);
    for (int box = 0; box < CWindowServices::kAnswerBoxes; ++box) {
        EXPECT_FALSE(m_window.boxes[box].enabled) << "box " << box;
        EXPECT_EQ(m_window.boxes[box].text, "") << "box " << box;
    }

    // Nothing can reach the questions of the quiz that is gone.
    const size_t pages = m_window.navigations.size();
    m_dlg->OnEnter();
    m_dlg->OnRepeatQuestion();
    m_dlg->OnEnter();
    m_dlg->OnExplanation();
    m_dlg->OnRestart();
    m_dlg->OnQuit();
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);
    EXPECT_EQ(m_window.navigations.size(), pages);

    Open("capitals.txt");
    ExpectAskingWithBoxes(1);
}

TEST_F(QuizFlowTest, CancelledOpenChangesNothing) {
    Start();
    Open("capitals.txt");
    const size_t calls = m_log.size();
    m_window.QueueCancel();
    m_dlg->OnFileOpen();
    ASSERT_EQ(m_log.size(), calls + 1);
    EXPECT_EQ(m_log.back(), "ChooseOpenFile");
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
}

TEST_F(QuizFlowTest, JumbledOrderAsksEachQuestionOnceInTheDrawnOrder) {
    Start();
    m_dlg->OnOrderJumbledUp();
    SetRandomLags(3, 7, 11);
    const std::vector<int> expected = DrawJumbledOrder(20, std::vector<bool>(20, false));
    RestartRandomSource();
    SetRandomLags(3, 7, 11);

    Open("twenty.txt");
    std::vector<int> asked;
    while (m_dlg->GetState() == QuizState::Asking) {
        const std::string question = QuestionOnPage();
        size_t index = 0;
        while (index < kTwentyWords.size() && TwentyQuestion(index) != question)
            ++index;
        ASSERT_LT(index, kTwentyWords.size()) << question;
        asked.push_back(static_cast<int>(index));
        Answer({kTwentyWords[index]});
    }
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(m_window.feedback, "You got 20/20 right.");
}

TEST_F(QuizFlowTest, SwitchingOrderMidQuizTakesEffectAtTheNextQuestion) {
    Start();
    Open("twenty.txt");
    Answer({"alpha"});
    const size_t pages = m_window.navigations.size();
    m_dlg->OnOrderJumbledUp();
    EXPECT_EQ(m_window.navigations.size(), pages);
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(QuestionOnPage(), TwentyQuestion(1));

    SetRandomLags(5, 2, 17);
    const std::vector<int> drawn = DrawJumbledOrder(20, std::vector<bool>(20, false));
    RestartRandomSource();
    SetRandomLags(5, 2, 17);
    Answer({"bravo"});
    EXPECT_EQ(QuestionOnPage(), TwentyQuestion(static_cast<size_t>(drawn[0])));

    // Back in file order the quiz goes on after the second question.
    m_dlg->OnOrderInOrder();
    Answer({kTwentyWords[static_cast<size_t>(drawn[0])]});
    EXPECT_EQ(QuestionOnPage(), TwentyQuestion(2));
}
