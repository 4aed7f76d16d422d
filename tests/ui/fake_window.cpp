#include "fake_window.h"

#include <gtest/gtest.h>

namespace {
const char* ButtonName(EButton button) {
    switch (button) {
    case EButton::Explanation:
        return "Explanation";
    case EButton::Quit:
        return "Quit";
    case EButton::Restart:
        return "Restart";
    case EButton::Repeat:
        return "Repeat";
    }
    return "?";
}

const char* MenuName(EMenuItem item) {
    switch (item) {
    case EMenuItem::InOrder:
        return "InOrder";
    case EMenuItem::JumbledUp:
        return "JumbledUp";
    case EMenuItem::Sound:
        return "Sound";
    }
    return "?";
}

// Number of code points in UTF-8 text.
int CountCharacters(const std::string& text) {
    int n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}
} // namespace

bool CFakeWindow::CheckBox(int box, const char* operation) {
    if (box >= 0 && box < kAnswerBoxes)
        return true;
    ADD_FAILURE() << operation << " called with answer box " << box;
    return false;
}

void CFakeWindow::Type(int box, const std::string& text) {
    if (!CheckBox(box, "Type"))
        return;
    boxes[box].text = text;
    boxes[box].selectionStart = boxes[box].selectionEnd = CountCharacters(text);
}

int CFakeWindow::CountLog(const std::string& prefix) const {
    int n = 0;
    for (const std::string& line : log)
        n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
}

std::string CFakeWindow::GetAnswerText(int box) {
    log.push_back("GetAnswerText " + std::to_string(box));
    return CheckBox(box, "GetAnswerText") ? boxes[box].text : std::string();
}

void CFakeWindow::SetAnswerText(int box, const std::string& text) {
    log.push_back("SetAnswerText " + std::to_string(box) + " " + text);
    if (!CheckBox(box, "SetAnswerText"))
        return;
    boxes[box].text = text;
    boxes[box].selectionStart = boxes[box].selectionEnd = 0;
}

void CFakeWindow::EnableAnswerBox(int box, bool enable) {
    log.push_back("EnableAnswerBox " + std::to_string(box) + " " + std::to_string(enable));
    if (CheckBox(box, "EnableAnswerBox"))
        boxes[box].enabled = enable;
}

void CFakeWindow::ShowAnswerBox(int box, bool show) {
    log.push_back("ShowAnswerBox " + std::to_string(box) + " " + std::to_string(show));
    if (CheckBox(box, "ShowAnswerBox"))
        boxes[box].shown = show;
}

void CFakeWindow::FocusAnswerBox(int box) {
    log.push_back("FocusAnswerBox " + std::to_string(box));
    if (CheckBox(box, "FocusAnswerBox"))
        focusedBox = box;
}

int CFakeWindow::GetFocusedAnswerBox() {
    return focusedBox;
}

void CFakeWindow::GetAnswerSelection(int box, int& start, int& end) {
    if (!CheckBox(box, "GetAnswerSelection"))
        return;
    start = boxes[box].selectionStart;
    end = boxes[box].selectionEnd;
}

void CFakeWindow::SetAnswerSelection(int box, int start, int end) {
    log.push_back("SetAnswerSelection " + std::to_string(box) + " " + std::to_string(start) + " " +
                  std::to_string(end));
    if (!CheckBox(box, "SetAnswerSelection"))
        return;
    boxes[box].selectionStart = start;
    boxes[box].selectionEnd = end;
}

void CFakeWindow::SetFeedbackText(const std::string& text) {
    log.push_back("SetFeedbackText " + text);
    feedback = text;
}

void CFakeWindow::SetCommentText(const std::string& text) {
    log.push_back("SetCommentText " + text);
    comment = text;
}

int CFakeWindow::GetFeedbackBoxWidth() {
    return feedbackBoxWidth;
}

void CFakeWindow::EnableButton(EButton button, bool enable) {
    log.push_back(std::string("EnableButton ") + ButtonName(button) + " " + std::to_string(enable));
    buttons[static_cast<int>(button)] = enable;
}

void CFakeWindow::CheckMenuItem(EMenuItem item, bool checked) {
    log.push_back(std::string("CheckMenuItem ") + MenuName(item) + " " + std::to_string(checked));
    menuChecks[static_cast<int>(item)] = checked;
}

void CFakeWindow::SetWindowTitle(const std::string& text) {
    log.push_back("SetWindowTitle " + text);
    title = text;
}

void CFakeWindow::ShowMessageBox(const std::string& text, const std::string& caption) {
    log.push_back("ShowMessageBox " + caption);
    messageBoxes.emplace_back(text, caption);
}

bool CFakeWindow::ChooseOpenFile(std::string& path) {
    log.push_back("ChooseOpenFile");
    if (m_openAnswers.empty()) {
        ADD_FAILURE() << "the open-file dialog was shown with no answer queued";
        return false;
    }
    const std::optional<std::string> answer = m_openAnswers.front();
    m_openAnswers.pop_front();
    if (!answer)
        return false;
    path = *answer;
    return true;
}

void CFakeWindow::Navigate(const std::string& path) {
    log.push_back("Navigate " + path);
    navigations.push_back(path);
    if (onNavigate)
        onNavigate();
}

bool CFakeWindow::OpenUrl(const std::string& url) {
    log.push_back("OpenUrl " + url);
    openedUrls.push_back(url);
    return openUrlResult;
}

bool CFakeWindow::OpenHelpFile(const std::string& path) {
    log.push_back("OpenHelpFile " + path);
    helpFiles.push_back(path);
    return openHelpFileResult;
}

bool CFakeWindow::ReplaceProcess(const std::string& path) {
    log.push_back("ReplaceProcess " + path);
    replacedWith.push_back(path);
    return replaceProcessResult;
}

void CFakeWindow::ShowAboutBox() {
    log.push_back("ShowAboutBox");
    ++aboutBoxes;
}

void CFakeWindow::HideWindow() {
    log.push_back("HideWindow");
    ++hides;
}

void CFakeWindow::EndDialog() {
    log.push_back("EndDialog");
    ++endDialogs;
}

void CRecordingPlayer::Play(const unsigned char* data, uint32_t length) {
    const std::string cue(reinterpret_cast<const char*>(data), length);
    log.push_back("Play " + cue);
    played.push_back(cue);
}

void CRecordingPlayer::Stop() {
    log.push_back("Stop");
    ++stops;
}
