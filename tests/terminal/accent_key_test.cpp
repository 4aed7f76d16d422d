// The accent key on a line typed at the terminal goes through the quiz
// window's own accent key and leaves the answer boxes as they were.
#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "terminal/accent_key.h"
#include "terminal/terminal_window.h"
#include "ui/torvi_dlg.h"

namespace {

class AccentTypedLineTest : public ::testing::Test {
protected:
    AccentTypedLineTest() : m_dlg(m_window, nullptr, m_folder.Path() + "/", m_folder.Path() + "/") {
        m_dlg.OnInitDialog();
        m_window.SetOpenFilePath(std::string(TORVI_TEST_DATA_DIR) + "/run/accents.txt");
        m_dlg.OnFileOpen();
    }

    // The line and caret after the key, and whether it changed them.
    struct SResult {
        bool changed;
        std::string line;
        int caret;
    };
    SResult Accent(std::string line, int caret) {
        const bool changed = AccentTypedLine(m_window, m_dlg, line, caret);
        return {changed, line, caret};
    }

    // Answers the current question with the given lines, one box each.
    void Answer(std::initializer_list<const char*> answers) {
        for (const char* answer : answers)
            m_window.TypeAnswer(m_window.NextUnansweredBox(), answer);
        m_dlg.OnEnter();
    }

    CTempDir m_folder;
    CTerminalWindow m_window;
    CTorviDlg m_dlg;
};

TEST_F(AccentTypedLineTest, TheLetterBeforeTheCaretCountedInCharacters) {
    ASSERT_EQ(m_dlg.GetState(), QuizState::Asking);
    struct SCase {
        const char* line;
        int caret;
        bool changed;
        const char* after;
    };
    const SCase cases[] = {
        {"el cafe", 7, true, "el caf\u00e9"},
        {"manana", 3, true, "ma\u00f1ana"},
        // Two-byte letters first: caret 6 is after the u (byte 6 is the n).
        {"\u00f1\u00e9andu", 6, true, "\u00f1\u00e9and\u00fa"},
        {"\u00f1\u00e9ando", 3, true, "\u00f1\u00e9\u00e1ndo"},
        {"ana", 0, false, "ana"},
        // A second press finds the accented letter and leaves it.
        {"caf\u00e9", 4, false, "caf\u00e9"},
    };
    for (const SCase& c : cases) {
        const SResult result = Accent(c.line, c.caret);
        EXPECT_EQ(result.changed, c.changed) << c.line;
        EXPECT_EQ(result.line, c.after) << c.line;
        EXPECT_EQ(result.caret, c.caret) << c.line;
    }
}

TEST_F(AccentTypedLineTest, TheAnswerBoxesAreLeftAsTheyWere) {
    // Through to the question with two boxes; the first one is answered.
    Answer({"caf\u00e9"});
    Answer({"hola"});
    Answer({"hola"});
    Answer({"el ni\u00f1o"});
    ASSERT_EQ(m_window.CountOpenAnswerBoxes(), 2);
    m_window.TypeAnswer(0, "rojo");
    ASSERT_EQ(m_window.NextUnansweredBox(), 1);

    SResult second = Accent("amarilla", 8);
    EXPECT_TRUE(second.changed);
    EXPECT_EQ(second.line, "amarill\u00e1");

    // The key worked in the second box, which still waits for its answer;
    // the first keeps its own.
    EXPECT_EQ(m_window.NextUnansweredBox(), 1);
    EXPECT_EQ(m_window.GetAnswerText(1), "");
    EXPECT_EQ(m_window.GetAnswerText(0), "rojo");
    EXPECT_EQ(m_window.GetFocusedAnswerBox(), 0);

    // Enter judges what was typed, not what the key saw.
    m_window.TypeAnswer(1, "amarillo");
    m_dlg.OnEnter();
    EXPECT_EQ(m_dlg.GetState(), QuizState::Finished);
    EXPECT_NE(m_window.GetFeedbackText().find("You got 5/5 right."), std::string::npos)
        << m_window.GetFeedbackText();
}

TEST_F(AccentTypedLineTest, OutsideAQuestionTheKeyDoesNothing) {
    Answer({"cafe"});
    ASSERT_EQ(m_dlg.GetState(), QuizState::ShowingCorrection);
    SResult correcting = Accent("cafe", 4);
    EXPECT_FALSE(correcting.changed);
    EXPECT_EQ(correcting.line, "cafe");
    EXPECT_EQ(correcting.caret, 4);
}

} // namespace
