#include "terminal/terminal_window.h"

#include <string>
#include <utility>

#include "file/file_read.h"

namespace {
// Characters (code points) in UTF-8 text: every byte that does not continue one.
int CountCharacters(const std::string& text) {
    int count = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}
} // namespace

void CTerminalWindow::TypeAnswer(int box, const std::string& text) {
    if (!IsBox(box))
        return;
    CAnswerBox& answer = m_boxes[static_cast<size_t>(box)];
    answer.text = text;
    answer.answered = true;
    answer.selectionStart = answer.selectionEnd = CountCharacters(text);
    m_nFocusedBox = box;
}

int CTerminalWindow::CountOpenAnswerBoxes() const {
    int count = 0;
    for (const CAnswerBox& box : m_boxes) {
        if (box.enabled && box.shown)
            ++count;
    }
    return count;
}

int CTerminalWindow::NextUnansweredBox() const {
    for (int box = 0; box < kAnswerBoxes; ++box) {
        const CAnswerBox& answer = m_boxes[static_cast<size_t>(box)];
        if (answer.enabled && answer.shown && !answer.answered)
            return box;
    }
    return -1;
}

bool CTerminalWindow::IsButtonEnabled(EButton button) const {
    return m_buttonsEnabled[static_cast<size_t>(button)];
}

bool CTerminalWindow::IsMenuItemChecked(EMenuItem item) const {
    return m_menuChecks[static_cast<size_t>(item)];
}

bool CTerminalWindow::IsAnswerBoxEnabled(int box) const {
    return IsBox(box) && m_boxes[static_cast<size_t>(box)].enabled;
}

bool CTerminalWindow::IsAnswerBoxShown(int box) const {
    return IsBox(box) && m_boxes[static_cast<size_t>(box)].shown;
}

std::deque<CTerminalEvent> CTerminalWindow::TakeEvents() {
    return std::exchange(m_events, {});
}

std::string CTerminalWindow::GetAnswerText(int box) {
    return IsBox(box) ? m_boxes[static_cast<size_t>(box)].text : std::string();
}

void CTerminalWindow::SetAnswerText(int box, const std::string& text) {
    if (!IsBox(box))
        return;
    CAnswerBox& answer = m_boxes[static_cast<size_t>(box)];
    answer.text = text;
    answer.answered = false;
    answer.selectionStart = answer.selectionEnd = 0;
}

void CTerminalWindow::EnableAnswerBox(int box, bool enable) {
    if (IsBox(box))
        m_boxes[static_cast<size_t>(box)].enabled = enable;
}

void CTerminalWindow::ShowAnswerBox(int box, bool show) {
    if (IsBox(box))
        m_boxes[static_cast<size_t>(box)].shown = show;
}

void CTerminalWindow::FocusAnswerBox(int box) {
    m_nFocusedBox = IsBox(box) ? box : -1;
}

void CTerminalWindow::GetAnswerSelection(int box, int& start, int& end) {
    start = end = 0;
    if (!IsBox(box))
        return;
    start = m_boxes[static_cast<size_t>(box)].selectionStart;
    end = m_boxes[static_cast<size_t>(box)].selectionEnd;
}

void CTerminalWindow::SetAnswerSelection(int box, int start, int end) {
    if (!IsBox(box))
        return;
    CAnswerBox& answer = m_boxes[static_cast<size_t>(box)];
    const int length = CountCharacters(answer.text);
    answer.selectionStart = start < 0 ? 0 : (start > length ? length : start);
    answer.selectionEnd =
        end < answer.selectionStart ? answer.selectionStart : (end > length ? length : end);
}

void CTerminalWindow::SetFeedbackText(const std::string& text) {
    m_strFeedback = text;
    if (!text.empty())
        m_events.push_back({ETerminalEvent::Feedback, text, {}, true});
}

void CTerminalWindow::SetCommentText(const std::string& text) {
    m_strComment = text;
    if (!text.empty())
        m_events.push_back({ETerminalEvent::Comment, text, {}, true});
}

void CTerminalWindow::EnableButton(EButton button, bool enable) {
    m_buttonsEnabled[static_cast<size_t>(button)] = enable;
}

void CTerminalWindow::CheckMenuItem(EMenuItem item, bool checked) {
    m_menuChecks[static_cast<size_t>(item)] = checked;
}

void CTerminalWindow::SetWindowTitle(const std::string& title) {
    if (title == m_strTitle)
        return;
    m_strTitle = title;
    m_events.push_back({ETerminalEvent::Title, title, {}, true});
}

void CTerminalWindow::ShowMessageBox(const std::string& text, const std::string& caption) {
    m_events.push_back({ETerminalEvent::Message, text, caption, true});
}

bool CTerminalWindow::ChooseOpenFile(std::string& path) {
    if (m_strOpenFilePath.empty())
        return false;
    path = m_strOpenFilePath;
    return true;
}

void CTerminalWindow::Navigate(const std::string& path) {
    // The page is read at once, as a page view loads it: a later question
    // overwrites the same file.
    CTerminalEvent event{ETerminalEvent::Page, path, {}, false};
    std::string why;
    event.readable = ReadWholeFile(path, event.detail, why) == EReadResult::Read;
    m_events.push_back(std::move(event));
}
