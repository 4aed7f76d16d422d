// CTerminalWindow: the quiz window's services for a terminal. It keeps what the
// window would show (answer boxes, buttons, menu marks, title) so the driver
// can ask what is open and enabled, and it queues what the window puts up
// (feedback and comment texts, pages, message boxes, a new title) for the
// driver to print in the order it happened.
#pragma once

#include <array>
#include <deque>
#include <string>

#include "ui/window_services.h"

enum class ETerminalEvent { Title, Feedback, Comment, Page, Message };

struct CTerminalEvent {
    ETerminalEvent kind;
    // The text put up (UTF-8), the message box's text, or the page's path.
    std::string text;
    // A page file's bytes as they stood when the window was sent to it; a
    // message box's caption.
    std::string detail;
    // False when the page file could not be read.
    bool readable = true;
};

class CTerminalWindow : public CWindowServices {
public:
    // The feedback box of the desktop window measures 514 pixels at its usual
    // font; pages are composed for that width so that they match.
    static constexpr int kFeedbackBoxWidth = 514;

    CTerminalWindow() = default;

    // The file the open-file dialog answers with; empty makes it cancel.
    void SetOpenFilePath(const std::string& path) { m_strOpenFilePath = path; }

    // The user typed a line into an answer box: its text, the caret at its end,
    // and the box counts as answered until the window empties or sets it.
    void TypeAnswer(int box, const std::string& text);
    // Boxes the user can type in now: enabled and shown, counted from the top.
    int CountOpenAnswerBoxes() const;
    // The first open box not yet answered, or -1 when all are.
    int NextUnansweredBox() const;

    bool IsButtonEnabled(EButton button) const;
    bool IsMenuItemChecked(EMenuItem item) const;
    bool IsAnswerBoxEnabled(int box) const;
    bool IsAnswerBoxShown(int box) const;
    const std::string& GetTitle() const { return m_strTitle; }
    const std::string& GetFeedbackText() const { return m_strFeedback; }
    const std::string& GetCommentText() const { return m_strComment; }
    bool IsEnded() const { return m_bEnded; }

    // Everything put up since the last call, oldest first.
    std::deque<CTerminalEvent> TakeEvents();

    // CWindowServices
    std::string GetAnswerText(int box) override;
    void SetAnswerText(int box, const std::string& text) override;
    void EnableAnswerBox(int box, bool enable) override;
    void ShowAnswerBox(int box, bool show) override;
    void FocusAnswerBox(int box) override;
    int GetFocusedAnswerBox() override { return m_nFocusedBox; }
    void GetAnswerSelection(int box, int& start, int& end) override;
    void SetAnswerSelection(int box, int start, int end) override;
    void SetFeedbackText(const std::string& text) override;
    void SetCommentText(const std::string& text) override;
    int GetFeedbackBoxWidth() override { return kFeedbackBoxWidth; }
    void EnableButton(EButton button, bool enable) override;
    void CheckMenuItem(EMenuItem item, bool checked) override;
    void SetWindowTitle(const std::string& title) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    bool ChooseOpenFile(std::string& path) override;
    void Navigate(const std::string& path) override;
    // A terminal opens no web pages, help viewers or other programs.
    bool OpenUrl(const std::string&) override { return false; }
    bool OpenHelpFile(const std::string&) override { return false; }
    bool ReplaceProcess(const std::string&) override { return false; }
    void ShowAboutBox() override {}
    void HideWindow() override { m_bEnded = true; }
    void EndDialog() override { m_bEnded = true; }

private:
    struct CAnswerBox {
        std::string text;
        bool enabled = true;
        bool shown = true;
        bool answered = false;
        int selectionStart = 0;
        int selectionEnd = 0;
    };

    static bool IsBox(int box) { return box >= 0 && box < kAnswerBoxes; }

    std::array<CAnswerBox, kAnswerBoxes> m_boxes{};
    std::array<bool, 4> m_buttonsEnabled{true, true, true, true};
    std::array<bool, 3> m_menuChecks{};
    int m_nFocusedBox = -1;
    std::string m_strFeedback;
    std::string m_strComment;
    std::string m_strTitle;
    std::string m_strOpenFilePath;
    bool m_bEnded = false;
    std::deque<CTerminalEvent> m_events;
};
