// Everything the quiz window needs from a toolkit. CTorviDlg is written once
// against this interface; the Qt window, the terminal front end and the tests'
// scripted window implement it.
//
// Texts cross this interface as UTF-8. Answer-box selections count characters
// (Unicode code points), not bytes.
#pragma once

#include <string>

enum class EButton { Explanation, Quit, Restart, Repeat };
enum class EMenuItem { InOrder, JumbledUp, Sound };

class CWindowServices {
public:
    static constexpr int kAnswerBoxes = 10;

    virtual ~CWindowServices() = default;

    // Answer boxes are numbered 0 to 9 from top to bottom.
    virtual std::string GetAnswerText(int box) = 0;
    virtual void SetAnswerText(int box, const std::string& text) = 0;
    virtual void EnableAnswerBox(int box, bool enable) = 0;
    virtual void ShowAnswerBox(int box, bool show) = 0;
    virtual void FocusAnswerBox(int box) = 0;
    // The answer box that has the keyboard focus, or -1 when none has it.
    virtual int GetFocusedAnswerBox() = 0;
    virtual void GetAnswerSelection(int box, int& start, int& end) = 0;
    // Sets the selection and brings the caret into view.
    virtual void SetAnswerSelection(int box, int start, int end) = 0;

    // The multi-line read-only boxes; line ends arrive as CR LF.
    virtual void SetFeedbackText(const std::string& text) = 0;
    virtual void SetCommentText(const std::string& text) = 0;
    // Width in pixels of the feedback box (its right edge minus its left edge).
    virtual int GetFeedbackBoxWidth() = 0;

    virtual void EnableButton(EButton button, bool enable) = 0;
    virtual void CheckMenuItem(EMenuItem item, bool checked) = 0;
    virtual void SetWindowTitle(const std::string& title) = 0;

    // An information message with an OK button; returns when dismissed.
    virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;
    // The open-file dialog for "*.txt": true with the chosen full path, false on cancel.
    virtual bool ChooseOpenFile(std::string& path) = 0;

    // The page view shows the local HTML file at path.
    virtual void Navigate(const std::string& path) = 0;
    // The desktop's handler opens a web address or a file; false when it cannot.
    virtual bool OpenUrl(const std::string& url) = 0;
    virtual bool OpenHelpFile(const std::string& path) = 0;
    // Replaces this process with the program at path; returns only on failure.
    virtual bool ReplaceProcess(const std::string& path) = 0;
    virtual void ShowAboutBox() = 0;

    // Closing: hide the window, or end the dialog and the program.
    virtual void HideWindow() = 0;
    virtual void EndDialog() = 0;
};
