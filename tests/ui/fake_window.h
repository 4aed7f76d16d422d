// A scripted stand-in for the quiz window: it records everything CTorviDlg
// shows, answers the open-file dialog from a queue, and lets a test type into
// the answer boxes and place the focus and the selection.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sound/audio_player.h"
#include "ui/window_services.h"

class CFakeWindow : public CWindowServices {
public:
    struct CAnswerBox {
        std::string text;
        bool enabled = true;
        bool shown = true;
        int selectionStart = 0;
        int selectionEnd = 0;
    };

    // Every call, one line each ("EnableButton Quit 1", "Navigate /x/Q.html", ...).
    // Shared with a recording audio player so that cues appear in order with the rest.
    std::vector<std::string>& log;

    CAnswerBox boxes[kAnswerBoxes];
    std::string feedback;
    std::string comment;
    std::string title;
    bool buttons[4] = {true, true, true, true};
    bool menuChecks[3] = {false, false, false};
    int focusedBox = -1;
    int feedbackBoxWidth = 441;

    std::vector<std::string> navigations;
    std::vector<std::pair<std::string, std::string>> messageBoxes;
    std::vector<std::string> openedUrls;
    std::vector<std::string> helpFiles;
    std::vector<std::string> replacedWith;
    int aboutBoxes = 0;
    int hides = 0;
    int endDialogs = 0;

    bool openUrlResult = true;
    bool openHelpFileResult = true;
    bool replaceProcessResult = false;
    // Called inside Navigate, as a page view may deliver events while it loads.
    std::function<void()> onNavigate;

    explicit CFakeWindow(std::vector<std::string>& sharedLog) : log(sharedLog) {}

    // Test controls.
    void QueueOpenFile(const std::string& path) { m_openAnswers.push_back(path); }
    void QueueCancel() { m_openAnswers.push_back(std::nullopt); }
    // Replaces the box's text as typing would, leaving the caret at its end.
    void Type(int box, const std::string& text);
    bool IsButtonEnabled(EButton button) const { return buttons[static_cast<int>(button)]; }
    bool IsMenuChecked(EMenuItem item) const { return menuChecks[static_cast<int>(item)]; }
    int CountLog(const std::string& prefix) const;

    // CWindowServices
    std::string GetAnswerText(int box) override;
    void SetAnswerText(int box, const std::string& text) override;
    void EnableAnswerBox(int box, bool enable) override;
    void ShowAnswerBox(int box, bool show) override;
    void FocusAnswerBox(int box) override;
    int GetFocusedAnswerBox() override;
    void GetAnswerSelection(int box, int& start, int& end) override;
    void SetAnswerSelection(int box, int start, int end) override;
    void SetFeedbackText(const std::string& text) override;
    void SetCommentText(const std::string& text) override;
    int GetFeedbackBoxWidth() override;
    void EnableButton(EButton button, bool enable) override;
    void CheckMenuItem(EMenuItem item, bool checked) override;
    void SetWindowTitle(const std::string& text) override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    bool ChooseOpenFile(std::string& path) override;
    void Navigate(const std::string& path) override;
    bool OpenUrl(const std::string& url) override;
    bool OpenHelpFile(const std::string& path) override;
    bool ReplaceProcess(const std::string& path) override;
    void ShowAboutBox() override;
    void HideWindow() override;
    void EndDialog() override;

private:
    // Every box number the dialog passes must be one of the ten boxes.
    bool CheckBox(int box, const char* operation);

    std::deque<std::optional<std::string>> m_openAnswers;
};

// An audio player that records each cue it is asked to play, by the cue's bytes.
class CRecordingPlayer : public CAudioPlayer {
public:
    explicit CRecordingPlayer(std::vector<std::string>& sharedLog) : log(sharedLog) {}
    void Play(const unsigned char* data, uint32_t length) override;
    void Stop() override;

    std::vector<std::string>& log;
    std::vector<std::string> played;
    int stops = 0;
};
