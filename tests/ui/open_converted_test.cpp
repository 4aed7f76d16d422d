// Files of other programs opened in the window: converted in memory and played
// as quizzes, or refused with the reason in the message box.
#include <fstream>

#include "ui_test_support.h"

TEST_F(CQuizWindowTest, VocabularyFileIsPlayedAsAQuiz) {
    Start();
    Open("vocabulary.kvtml");
    EXPECT_TRUE(m_window.messageBoxes.empty());
    EXPECT_EQ(m_window.title, "Halvan Torvi - " + QuizPath("vocabulary.kvtml"));
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(QuestionOnPage(), "house");
    Answer({"maison"});
    EXPECT_EQ(m_window.comment, "f\u00e9minin");
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(QuestionOnPage(), "cat");
}

TEST_F(CQuizWindowTest, SpreadsheetIsPlayedAsAQuiz) {
    Start();
    Open("spreadsheet.csv");
    EXPECT_TRUE(m_window.messageBoxes.empty());
    EXPECT_EQ(QuestionOnPage(), "Capital of Italy?");
    Answer({"rome"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::Finished);
}

TEST_F(CQuizWindowTest, FileThatDoesNotConvertSaysWhyAndEndsTheQuizAsAFailedLoadDoes) {
    Start();
    Open("capitals.txt");
    Open("truncated.kvtml");
    ASSERT_EQ(m_window.messageBoxes.size(), 1u);
    EXPECT_NE(m_window.messageBoxes[0].first.find("not well-formed XML"), std::string::npos)
        << m_window.messageBoxes[0].first;
    EXPECT_EQ(m_window.messageBoxes[0].second, "Torvi");
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);
    EXPECT_EQ(m_window.title, "Halvan Torvi");
    int32_t total = -1;
    int32_t right = -1;
    m_dlg->GetQuestionSet().GetScore(total, right);
    EXPECT_EQ(total, 0);
    ExpectButtons(false, false, false, false);
}

// A spreadsheet in another alphabet is opened as the quiz its conversion
// writes, so the window judges the answer by its own letters: the right word,
// in any letter case, is right and a different one is wrong.
TEST_F(CQuizWindowTest, SpreadsheetInAnotherAlphabetIsJudgedByItsOwnLetters) {
    const std::string path = m_strRoot + "/russian.csv";
    std::ofstream(path, std::ios::binary)
        << "house,\xD0\xB4\xD0\xBE\xD0\xBC\ncat,\xD0\xBA\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB0\n";
    Start();
    m_window.QueueOpenFile(path);
    m_dlg->OnFileOpen();
    EXPECT_TRUE(m_window.messageBoxes.empty());
    ASSERT_EQ(QuestionOnPage(), "house");
    Answer({"\xD0\x94\xD0\x9E\xD0\x9C"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(QuestionOnPage(), "cat");
    // Words of one alphabet are still told apart.
    Answer({"\xD0\xBA\xD0\xBE\xD1\x82"});
    EXPECT_EQ(m_dlg->GetState(), QuizState::ShowingCorrection);
}
