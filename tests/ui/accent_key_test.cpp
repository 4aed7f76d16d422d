// Ctrl+A: the letter before the caret of the focused answer box takes its accent.
#include <string>

#include "ui_test_support.h"

class AccentKeyTest : public CQuizWindowTest {
protected:
    void SetUp() override {
        CQuizWindowTest::SetUp();
        Start();
    }
    // Types text into box 2, focuses it, selects [start, end) and presses Ctrl+A.
    void Accent(const std::string& text, int start, int end) {
        m_window.Type(2, text);
        m_window.focusedBox = 2;
        m_window.boxes[2].selectionStart = start;
        m_window.boxes[2].selectionEnd = end;
        m_log.clear();
        m_dlg->OnAccent();
    }
    const CFakeWindow::CAnswerBox& Box() const { return m_window.boxes[2]; }
};

TEST_F(AccentKeyTest, LetterBeforeTheCaretTakesItsAccent) {
    Accent("cafe", 4, 4);
    EXPECT_EQ(Box().text, "caf\u00e9");
    EXPECT_EQ(Box().selectionStart, 4);
    EXPECT_EQ(Box().selectionEnd, 4);
}

TEST_F(AccentKeyTest, EachOfTheSixLettersHasItsAccentedForm) {
    const std::string plain = "aeioun";
    const std::string accented[] = {"\u00e1", "\u00e9", "\u00ed", "\u00f3", "\u00fa", "\u00f1"};
    for (size_t i = 0; i < plain.size(); ++i) {
        Accent(std::string("x") + plain[i] + "y", 2, 2);
        EXPECT_EQ(Box().text, "x" + accented[i] + "y") << plain[i];
    }
}

TEST_F(AccentKeyTest, CaretInTheMiddleCountsCharactersNotBytes) {
    // "é" takes two bytes; the caret after "ña" is at character 2.
    Accent("\u00f1a\u00e9", 2, 2);
    EXPECT_EQ(Box().text, "\u00f1\u00e1\u00e9");
    EXPECT_EQ(Box().selectionStart, 2);
}

TEST_F(AccentKeyTest, CapitalsAndAccentedLettersStayAsTheyAre) {
    Accent("CAFE", 4, 4);
    EXPECT_EQ(Box().text, "CAFE");
    Accent("caf\u00e9", 4, 4);
    EXPECT_EQ(Box().text, "caf\u00e9");
    // The box is written back even when nothing changed.
    EXPECT_EQ(m_window.CountLog("SetAnswerText 2"), 1);
}

TEST_F(AccentKeyTest, OneSelectedCharacterAccentsTheOneBeforeIt) {
    Accent("xa", 1, 2);
    EXPECT_EQ(Box().text, "xa");
    Accent("ax", 1, 2);
    EXPECT_EQ(Box().text, "\u00e1x");
    EXPECT_EQ(Box().selectionStart, 1);
    EXPECT_EQ(Box().selectionEnd, 2);
}

TEST_F(AccentKeyTest, CaretAtTheStartChangesNothing) {
    Accent("ab", 0, 0);
    EXPECT_EQ(Box().text, "ab");
    EXPECT_EQ(m_window.CountLog("SetAnswerText"), 0);
}

TEST_F(AccentKeyTest, TwoSelectedCharactersChangeNothing) {
    Accent("abc", 1, 3);
    EXPECT_EQ(Box().text, "abc");
    EXPECT_EQ(m_window.CountLog("SetAnswerText"), 0);
}

TEST_F(AccentKeyTest, CaretPastTheEndChangesNothing) {
    Accent("ab", 3, 3);
    EXPECT_EQ(m_window.CountLog("SetAnswerText"), 0);
}

TEST_F(AccentKeyTest, NoFocusedAnswerBoxChangesNothing) {
    m_window.Type(0, "cafe");
    m_window.focusedBox = -1;
    m_log.clear();
    m_dlg->OnAccent();
    EXPECT_EQ(m_window.boxes[0].text, "cafe");
    EXPECT_TRUE(m_log.empty());
}

TEST_F(AccentKeyTest, LongTextIsCutAtACharacterBoundaryWhenWrittenBack) {
    // 4,093 + 1 + 2 bytes: the 4,095-byte limit falls inside the "é".
    Accent(std::string(4093, 'x') + "e\u00e9zz", 4094, 4094);
    EXPECT_EQ(Box().text, std::string(4093, 'x') + "\u00e9");
    EXPECT_EQ(Box().selectionStart, 4094);
}
