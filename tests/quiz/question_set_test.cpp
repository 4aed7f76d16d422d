// The question set's progress: file and jumbled order, Reset, judging and the score.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "quiz/question_set.h"
#include "quiz_files.h"
#include "support/random_start.h"

namespace {
class QuestionSetTest : public ::testing::Test, public CQuizSetFixture {
protected:
    void SetUp() override {
        RestartRandomSource();
        SetRandomLags(5, 11, 17);
    }

    std::vector<std::string> AskAll() {
        std::vector<std::string> asked;
        while (const char* text = m_set.NextQuestion())
            asked.push_back(text);
        return asked;
    }

    // n questions "Q0" ... with the answers "A0" ...
    void LoadNumbered(int n) {
        std::string quiz;
        for (int i = 0; i < n; ++i)
            quiz += "Q" + std::to_string(i) + "\nAnswer" + std::to_string(i) + "\n";
        ASSERT_TRUE(LoadText(quiz));
    }
};

using Strings = std::vector<std::string>;

TEST_F(QuestionSetTest, EmptyQuizOffersNoQuestionInEitherOrder) {
    ASSERT_TRUE(LoadText(""));
    EXPECT_EQ(nullptr, m_set.NextQuestion());
    m_set.SetJumbled(true);
    EXPECT_EQ(nullptr, m_set.NextQuestion());
    int32_t total = -1;
    int32_t right = -1;
    m_set.GetScore(total, right);
    EXPECT_EQ(0, total);
    EXPECT_EQ(0, right);
}

TEST_F(QuestionSetTest, FileOrderAsksEachQuestionOnceAndResetStartsAgain) {
    LoadNumbered(3);
    EXPECT_EQ(Strings({"Q0", "Q1", "Q2"}), AskAll());
    EXPECT_EQ(2, m_set.GetCurrentIndex());
    m_set.Reset();
    EXPECT_STREQ("Q0", m_set.NextQuestion());
    EXPECT_EQ(0, m_set.GetCurrentIndex());
}

TEST_F(QuestionSetTest, JumbledOrderAsksEachQuestionOnceAndResetClearsTheMarks) {
    LoadNumbered(3);
    m_set.SetJumbled(true);
    const Strings first = AskAll();
    ASSERT_EQ(3u, first.size());
    EXPECT_EQ(std::set<std::string>({"Q0", "Q1", "Q2"}),
              std::set<std::string>(first.begin(), first.end()));
    for (const CQuestion* question : m_set.GetQuestions())
        EXPECT_TRUE(question->asked);

    m_set.Reset();
    for (const CQuestion* question : m_set.GetQuestions())
        EXPECT_FALSE(question->asked);
    const Strings second = AskAll();
    EXPECT_EQ(std::set<std::string>({"Q0", "Q1", "Q2"}),
              std::set<std::string>(second.begin(), second.end()));
}

TEST_F(QuestionSetTest, JumbledOrderOfManyQuestionsIsNotFileOrder) {
    LoadNumbered(30);
    m_set.SetJumbled(true);
    const Strings asked = AskAll();
    ASSERT_EQ(30u, asked.size());
    EXPECT_EQ(30u, std::set<std::string>(asked.begin(), asked.end()).size());
    Strings inOrder;
    for (int i = 0; i < 30; ++i)
        inOrder.push_back("Q" + std::to_string(i));
    EXPECT_NE(inOrder, asked);
}

TEST_F(QuestionSetTest, JumbledOrderTakesTheFirstDrawThatHitsAnUnaskedQuestion) {
    LoadNumbered(10);
    // The same draws, made beforehand from the same state of the random source.
    std::vector<int32_t> draws;
    for (int i = 0; i < 3; ++i)
        draws.push_back(RandomBelow(10));
    RestartRandomSource();
    SetRandomLags(5, 11, 17);
    m_set.SetJumbled(true);
    m_set.questions.GetAt(draws[0])->asked = true;
    int32_t expected = draws[1];
    if (expected == draws[0])
        expected = draws[2] != draws[0] ? draws[2] : -1;
    ASSERT_NE(-1, expected) << "pick other lags: three equal draws";
    m_set.NextQuestion();
    EXPECT_EQ(expected, m_set.GetCurrentIndex());
}

TEST_F(QuestionSetTest, JumbledOrderFallsBackToTheFirstUnaskedAfterNineteenMisses) {
    LoadNumbered(40);
    m_set.SetJumbled(true);
    // Find lags whose first nineteen draws over 40 all miss questions 7 and 31.
    int32_t lags[3] = {-1, -1, -1};
    for (int32_t a = 0; a < 22 && lags[0] < 0; ++a) {
        for (int32_t b = 0; b < 22 && lags[0] < 0; ++b) {
            for (int32_t c = 0; c < 22 && lags[0] < 0; ++c) {
                RestartRandomSource();
                SetRandomLags(a, b, c);
                bool missed = true;
                for (int i = 0; i < 19 && missed; ++i) {
                    const int32_t j = RandomBelow(40);
                    missed = j != 7 && j != 31;
                }
                if (missed) {
                    lags[0] = a;
                    lags[1] = b;
                    lags[2] = c;
                }
            }
        }
    }
    ASSERT_GE(lags[0], 0);
    // The draw after the twentieth, to see that exactly twenty were made.
    RestartRandomSource();
    SetRandomLags(lags[0], lags[1], lags[2]);
    for (int i = 0; i < 20; ++i)
        RandomBelow(40);
    const int32_t twentyFirst = RandomBelow(1000);

    RestartRandomSource();
    SetRandomLags(lags[0], lags[1], lags[2]);
    for (int32_t i = 0; i < 40; ++i)
        m_set.questions.GetAt(i)->asked = i != 7 && i != 31;
    EXPECT_STREQ("Q7", m_set.NextQuestion());
    EXPECT_EQ(7, m_set.GetCurrentIndex());
    EXPECT_TRUE(m_set.questions.GetAt(7)->asked);
    EXPECT_FALSE(m_set.questions.GetAt(31)->asked);
    EXPECT_EQ(twentyFirst, RandomBelow(1000));
}

TEST_F(QuestionSetTest, JumbledOrderOverOneQuestionAsksItThenStops) {
    LoadNumbered(1);
    m_set.SetJumbled(true);
    EXPECT_STREQ("Q0", m_set.NextQuestion());
    EXPECT_EQ(nullptr, m_set.NextQuestion());
}

TEST_F(QuestionSetTest, SwitchingOrdersMidQuizKeepsEachOrdersOwnProgress) {
    LoadNumbered(3);
    EXPECT_STREQ("Q0", m_set.NextQuestion());
    m_set.SetJumbled(true);
    // Questions asked in file order carry no mark: all three can still be drawn.
    const Strings jumbled = AskAll();
    EXPECT_EQ(3u, jumbled.size());
    m_set.SetJumbled(false);
    // File order goes on where it stopped, untouched by the jumbled questions.
    EXPECT_EQ(Strings({"Q1", "Q2"}), AskAll());
}

TEST_F(QuestionSetTest, ScoreCountsTheLastAnswerOfEachRightQuestion) {
    ASSERT_TRUE(LoadText("Colours?\nred/\ngreen/\nblue\nCapital?\nParis\nNothing?\n \n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_TRUE(m_set.JudgeAnswer("red", 0, true));
    EXPECT_TRUE(m_set.JudgeAnswer("green", 1, true));
    EXPECT_EQ(0, m_set.rightCount);
    EXPECT_TRUE(m_set.JudgeAnswer("blue", 2, true));
    EXPECT_EQ(1, m_set.rightCount);

    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_FALSE(m_set.JudgeAnswer("London", 0, true));
    EXPECT_EQ(1, m_set.rightCount);
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_EQ(nullptr, m_set.NextQuestion());

    int32_t total = 0;
    int32_t right = 0;
    m_set.GetScore(total, right);
    EXPECT_EQ(3, total);
    EXPECT_EQ(1, right);
}

TEST_F(QuestionSetTest, RepeatedQuestionIsNeverCounted) {
    ASSERT_TRUE(LoadText("Capital?\nParis\n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_TRUE(m_set.JudgeAnswer("paris", 0, false));
    EXPECT_EQ(0, m_set.rightCount);
}

TEST_F(QuestionSetTest, ScoreTotalIsEveryQuestionEvenWhenTheQuizEndsEarly) {
    LoadNumbered(5);
    ASSERT_NE(nullptr, m_set.NextQuestion());
    ASSERT_TRUE(m_set.JudgeAnswer("Answer0", 0, true));
    int32_t total = 0;
    int32_t right = 0;
    m_set.GetScore(total, right);
    EXPECT_EQ(5, total);
    EXPECT_EQ(1, right);
    m_set.Reset();
    m_set.GetScore(total, right);
    EXPECT_EQ(0, right);
}

TEST_F(QuestionSetTest, QuestionWithMoreThanTenAnswersIsCountedAtTheTenth) {
    std::string quiz = "Twelve?\n";
    for (int i = 1; i <= 12; ++i)
        quiz += "word" + std::to_string(i) + (i < 12 ? "/\n" : "\n");
    ASSERT_TRUE(LoadText(quiz));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    ASSERT_EQ(12, m_set.GetCurrentQuestion().answers.GetCount());
    EXPECT_TRUE(m_set.JudgeAnswer("word9", 8, true));
    EXPECT_EQ(0, m_set.rightCount);
    EXPECT_TRUE(m_set.JudgeAnswer("word10", 9, true));
    EXPECT_EQ(1, m_set.rightCount);
    // Answers past the tenth can still be judged but never count again.
    EXPECT_TRUE(m_set.JudgeAnswer("word12", 11, true));
    EXPECT_TRUE(m_set.JudgeAnswer("word11", 10, true));
    EXPECT_EQ(1, m_set.rightCount);
}

TEST_F(QuestionSetTest, JudgingAnAnswerThatDoesNotExistIsWrong) {
    ASSERT_TRUE(LoadText("Capital?\nParis\n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_FALSE(m_set.JudgeAnswer("Paris", 1, true));
    EXPECT_FALSE(m_set.JudgeAnswer("Paris", -1, true));
    EXPECT_FALSE(m_set.JudgeAnswer(nullptr, 0, true));
    EXPECT_EQ(0, m_set.rightCount);
}

TEST_F(QuestionSetTest, AccessorsBeforeAnyQuestionGiveEmptyTexts) {
    EXPECT_EQ(0, m_set.GetCurrentQuestion().answers.GetCount());
    EXPECT_STREQ("", m_set.GetCorrectAnswers());
    EXPECT_STREQ("", m_set.GetComment());
    EXPECT_STREQ("", m_set.GetExplanation());
    EXPECT_FALSE(m_set.JudgeAnswer("x", 0, true));
    ASSERT_FALSE(LoadText("Q\n"));
    EXPECT_STREQ("", m_set.GetCorrectAnswers());
}

TEST_F(QuestionSetTest, CorrectAnswersAreJoinedByLineFeeds) {
    ASSERT_TRUE(LoadText("Colours?\nred/\ngreen/\nblue\n;light\n~<html>why</html>\nNone?\n\t\n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_STREQ("red\ngreen\nblue", m_set.GetCorrectAnswers());
    EXPECT_STREQ("light", m_set.GetComment());
    EXPECT_STREQ("<html>why</html>", m_set.GetExplanation());
    ASSERT_NE(nullptr, m_set.NextQuestion());
    EXPECT_STREQ("", m_set.GetCorrectAnswers());
    EXPECT_STREQ("", m_set.GetComment());
    EXPECT_STREQ("", m_set.GetExplanation());
}

TEST_F(QuestionSetTest, ReturnedTextsStayValidUntilTheSameAccessorIsCalledAgain) {
    ASSERT_TRUE(LoadText("One?\nfirst\n;c1\nTwo?\nsecond\n;c2\n"));
    ASSERT_NE(nullptr, m_set.NextQuestion());
    const char* answers = m_set.GetCorrectAnswers();
    const char* comment = m_set.GetComment();
    EXPECT_STREQ("first", answers);
    EXPECT_STREQ("c1", comment);
    ASSERT_NE(nullptr, m_set.NextQuestion());
    m_set.GetExplanation();
    EXPECT_STREQ("first", answers);
    EXPECT_STREQ("c2", m_set.GetComment());
}
} // namespace
