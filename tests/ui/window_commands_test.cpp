// The window around the quiz: start-up state, the welcome page, the Order and
// Sound options, help, web site, about box, the editor, and closing.
#include <string>
#include <vector>

#include "ui/program_paths.h"
#include "ui/torvi_dlg_auto_proxy.h"
#include "ui_test_support.h"

class WindowCommandsTest : public CQuizWindowTest {};

TEST_F(WindowCommandsTest, InitDialogDisablesBoxesThenButtonsAndSetsTheMenuMarks) {
    m_dlg = std::make_unique<CTorviDlg>(m_window, &m_player, m_strProgramDirectory,
                                        m_strProgramDirectory);
    EXPECT_TRUE(m_dlg->IsSoundOn());
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);
    m_log.clear();
    EXPECT_TRUE(m_dlg->OnInitDialog());

    std::vector<std::string> expected;
    for (int box = 0; box < CWindowServices::kAnswerBoxes; ++box)
        expected.push_back("EnableAnswerBox " + std::to_string(box) + " 0");
    for (const char* button : {"Explanation", "Quit", "Restart", "Repeat"})
        expected.push_back(std::string("EnableButton ") + button + " 0");
    std::vector<std::string> enables;
    for (const std::string& line : m_log)
        if (line.rfind("Enable", 0) == 0)
            enables.push_back(line);
    EXPECT_EQ(enables, expected);

    EXPECT_TRUE(m_window.IsMenuChecked(EMenuItem::InOrder));
    EXPECT_FALSE(m_window.IsMenuChecked(EMenuItem::JumbledUp));
    EXPECT_TRUE(m_window.IsMenuChecked(EMenuItem::Sound));
    EXPECT_EQ(m_window.title, "Halvan Torvi");
    EXPECT_EQ(m_window.feedback, "");
    EXPECT_EQ(m_window.comment, "");
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);
}

TEST_F(WindowCommandsTest, FirstPaintShowsTheWelcomePageOnlyOnce) {
    Start();
    m_dlg->OnPaint();
    m_dlg->OnPaint();
    Open("capitals.txt");
    m_dlg->OnPaint();
    EXPECT_EQ(m_window.CountLog("Navigate " + m_strProgramDirectory + "Welcome.htm"), 1);
    EXPECT_EQ(m_window.navigations.front(), m_strProgramDirectory + "Welcome.htm");
}

// A file named at start may be opened before the window is first drawn: its
// question stays on the page, and a file that does not load still ends on the
// welcome page, with the message File > Open gives.
TEST_F(WindowCommandsTest, QuizOpenedBeforeTheFirstPaintKeepsItsPage) {
    Start();
    m_dlg->OpenQuizFile(QuizPath("capitals.txt"));
    m_dlg->OnPaint();
    EXPECT_EQ(m_window.CountLog("Navigate " + m_strProgramDirectory + "Welcome.htm"), 0);
    ASSERT_FALSE(m_window.navigations.empty());
    EXPECT_EQ(m_window.navigations.back(), m_strProgramDirectory + "QuestionTemp.html");
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(m_window.title, "Halvan Torvi - " + QuizPath("capitals.txt"));

    Start();
    m_window.navigations.clear();
    m_dlg->OpenQuizFile(QuizPath("bad_syntax.txt"));
    m_dlg->OnPaint();
    EXPECT_EQ(m_window.navigations,
              std::vector<std::string>{m_strProgramDirectory + "Welcome.htm"});
    ASSERT_EQ(m_window.messageBoxes.size(), 1u);
    EXPECT_NE(m_window.messageBoxes[0].first.find("Bad Syntax"), std::string::npos);
    EXPECT_EQ(m_dlg->GetState(), QuizState::NoQuiz);
}

TEST_F(WindowCommandsTest, MinimisedPaintLeavesTheWelcomePageForLater) {
    Start();
    m_dlg->OnPaint(true);
    EXPECT_TRUE(m_window.navigations.empty());
    m_dlg->OnPaint(false);
    EXPECT_EQ(m_window.navigations,
              std::vector<std::string>{m_strProgramDirectory + "Welcome.htm"});
}

TEST_F(WindowCommandsTest, EachDialogRequestsItsOwnWelcomePage) {
    Start();
    m_dlg->OnPaint();
    Start();
    m_dlg->OnPaint();
    EXPECT_EQ(m_window.CountLog("Navigate " + m_strProgramDirectory + "Welcome.htm"), 2);
}

TEST_F(WindowCommandsTest, OrderItemsMoveTheCheckMarkAndTheQuestionSetOrder) {
    Start();
    m_dlg->OnOrderJumbledUp();
    EXPECT_FALSE(m_window.IsMenuChecked(EMenuItem::InOrder));
    EXPECT_TRUE(m_window.IsMenuChecked(EMenuItem::JumbledUp));
    EXPECT_TRUE(m_dlg->GetQuestionSet().IsJumbled());
    m_dlg->OnOrderJumbledUp();
    EXPECT_TRUE(m_window.IsMenuChecked(EMenuItem::JumbledUp));
    EXPECT_TRUE(m_dlg->GetQuestionSet().IsJumbled());
    m_dlg->OnOrderInOrder();
    EXPECT_TRUE(m_window.IsMenuChecked(EMenuItem::InOrder));
    EXPECT_FALSE(m_window.IsMenuChecked(EMenuItem::JumbledUp));
    EXPECT_FALSE(m_dlg->GetQuestionSet().IsJumbled());
}

TEST_F(WindowCommandsTest, OptionsTouchNoQuizState) {
    Start();
    Open("capitals.txt");
    const size_t pages = m_window.navigations.size();
    m_dlg->OnOptionsSound();
    m_dlg->OnOrderJumbledUp();
    m_dlg->OnHelpAbout();
    m_dlg->OnHelpWebSite();
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(m_window.navigations.size(), pages);
    ExpectButtons(false, true, true, false);
}

TEST_F(WindowCommandsTest, HelpContentsOpensTheHelpFileEveryTime) {
    Start();
    m_dlg->OnHelpContents();
    m_dlg->OnHelpContents();
    EXPECT_EQ(m_window.helpFiles,
              (std::vector<std::string>{m_strProgramDirectory + "manual/index.html",
                                        m_strProgramDirectory + "manual/index.html"}));
}

TEST_F(WindowCommandsTest, HelpContentsRemembersThatHelpCannotOpen) {
    Start();
    m_window.openHelpFileResult = false;
    m_dlg->OnHelpContents();
    m_window.openHelpFileResult = true;
    m_dlg->OnHelpContents();
    m_dlg->OnHelpContents();
    EXPECT_EQ(m_window.helpFiles.size(), 1u);
    EXPECT_TRUE(m_window.messageBoxes.empty());
}

TEST_F(WindowCommandsTest, WebSiteOpensTheProductPageAndIgnoresFailure) {
    Start();
    m_window.openUrlResult = false;
    m_dlg->OnHelpWebSite();
    m_dlg->OnHelpWebSite();
    EXPECT_EQ(m_window.openedUrls, (std::vector<std::string>{"https://torvi.example.org/",
                                                             "https://torvi.example.org/"}));
    EXPECT_TRUE(m_window.messageBoxes.empty());
}

TEST_F(WindowCommandsTest, AboutItemAndSystemMenuShowTheSameAboutBox) {
    Start();
    m_dlg->OnHelpAbout();
    EXPECT_EQ(m_window.aboutBoxes, 1);
    m_dlg->OnSysCommand(CTorviDlg::kIdmAboutBox, 0);
    EXPECT_EQ(m_window.aboutBoxes, 2);
    // The low four bits of a system command are the system's own.
    m_dlg->OnSysCommand(CTorviDlg::kIdmAboutBox | 0x000F, 0);
    EXPECT_EQ(m_window.aboutBoxes, 3);
    m_dlg->OnSysCommand(0xF060, 0); // close
    m_dlg->OnSysCommand(0x0020, 0);
    EXPECT_EQ(m_window.aboutBoxes, 3);
    EXPECT_EQ(m_window.endDialogs, 0);
}

TEST_F(WindowCommandsTest, FileNewStartsTheEditorInPlaceOfThisProgram) {
    Start();
    Open("capitals.txt");
    m_dlg->OnFileNew();
    // The editor sits beside the running program file, not among the support files.
    EXPECT_NE(GetProgramDirectory(), m_strProgramDirectory);
    EXPECT_EQ(m_window.replacedWith,
              std::vector<std::string>{GetProgramDirectory() + "torvi-editor"});
    // The editor could not be started: the quiz carries on untouched.
    EXPECT_EQ(m_dlg->GetState(), QuizState::Asking);
    EXPECT_EQ(m_window.endDialogs, 0);
    EXPECT_TRUE(m_window.messageBoxes.empty());
}

TEST_F(WindowCommandsTest, ClosingWithoutAnAutomationObjectEndsTheDialog) {
    Start();
    m_dlg->OnClose();
    m_dlg->OnOK();
    m_dlg->OnCancel();
    EXPECT_EQ(m_window.endDialogs, 3);
    EXPECT_EQ(m_window.hides, 0);
}

TEST_F(WindowCommandsTest, ClosingWithAnAutomationObjectOnlyHidesTheWindow) {
    Start();
    {
        CTorviDlgAutoProxy proxy(m_dlg.get());
        EXPECT_EQ(m_dlg->m_pAutoProxy, &proxy);
        m_dlg->OnClose();
        m_dlg->OnOK();
        m_dlg->OnCancel();
        EXPECT_EQ(m_window.hides, 3);
        EXPECT_EQ(m_window.endDialogs, 0);
    }
    EXPECT_EQ(m_dlg->m_pAutoProxy, nullptr);
    m_dlg->OnClose();
    EXPECT_EQ(m_window.endDialogs, 1);
}

TEST_F(WindowCommandsTest, DestroyedDialogDetachesItsAutomationObject) {
    Start();
    CTorviDlgAutoProxy proxy(m_dlg.get());
    EXPECT_EQ(proxy.m_pDialog, m_dlg.get());
    m_dlg.reset();
    EXPECT_EQ(proxy.m_pDialog, nullptr);
}
