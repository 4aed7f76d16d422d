#include "web/web_window.h"

#include <cstdio>
#include <cstdlib>

#include "file/file_read.h"
#include "text/ascii.h"
#include "text/encoding.h"
#include "web/dom_bridge.h"
#include "web/page_frame.h"
#include "web/text_offsets.h"

namespace {
bool IsBox(int box) {
    return box >= 0 && box < CWindowServices::kAnswerBoxes;
}

// The frame is handed text, so the page's bytes are read here as a browser
// reads a file: by the character set the page declares, and a page that
// declares none as UTF-8 when it is valid UTF-8, else as Windows-1252.
std::string PageAsUtf8(const std::string& bytes) {
    const std::string_view head = std::string_view(bytes).substr(0, 1024);
    if (ContainsNoCase(head, "charset=iso-8859-1") || ContainsNoCase(head, "charset=windows-1252"))
        return Cp1252ToUtf8(bytes);
    return ToUtf8(bytes);
}
} // namespace

std::string CWebWindow::GetAnswerText(int box) {
    if (!IsBox(box))
        return {};
    char* text = torvi_dom_get_answer(box);
    std::string result = text ? text : "";
    std::free(text);
    return result;
}

void CWebWindow::SetAnswerText(int box, const std::string& text) {
    if (IsBox(box))
        torvi_dom_set_answer(box, text.c_str());
}

void CWebWindow::EnableAnswerBox(int box, bool enable) {
    if (IsBox(box))
        torvi_dom_enable_answer(box, enable);
}

void CWebWindow::ShowAnswerBox(int box, bool show) {
    if (IsBox(box))
        torvi_dom_show_answer(box, show);
}

void CWebWindow::FocusAnswerBox(int box) {
    if (IsBox(box))
        torvi_dom_focus_answer(box);
}

int CWebWindow::GetFocusedAnswerBox() {
    const int box = torvi_dom_focused_answer();
    return IsBox(box) ? box : -1;
}

void CWebWindow::GetAnswerSelection(int box, int& start, int& end) {
    start = end = 0;
    if (!IsBox(box))
        return;
    int unitStart = 0;
    int unitEnd = 0;
    torvi_dom_get_selection(box, &unitStart, &unitEnd);
    const std::string text = GetAnswerText(box);
    start = Utf16OffsetToCharacters(text, unitStart);
    end = Utf16OffsetToCharacters(text, unitEnd);
}

void CWebWindow::SetAnswerSelection(int box, int start, int end) {
    if (!IsBox(box))
        return;
    const std::string text = GetAnswerText(box);
    torvi_dom_set_selection(box, CharactersToUtf16Offset(text, start),
                            CharactersToUtf16Offset(text, end));
}

void CWebWindow::SetFeedbackText(const std::string& text) {
    torvi_dom_set_feedback(PlainLines(text).c_str());
}

void CWebWindow::SetCommentText(const std::string& text) {
    torvi_dom_set_comment(PlainLines(text).c_str());
}

int CWebWindow::GetFeedbackBoxWidth() {
    return torvi_dom_feedback_width();
}

void CWebWindow::EnableButton(EButton button, bool enable) {
    torvi_dom_enable_button(static_cast<int>(button), enable);
}

void CWebWindow::CheckMenuItem(EMenuItem item, bool checked) {
    torvi_dom_check_menu(static_cast<int>(item), checked);
}

void CWebWindow::SetWindowTitle(const std::string& title) {
    torvi_dom_set_title(title.c_str());
}

void CWebWindow::ShowMessageBox(const std::string& text, const std::string& caption) {
    torvi_dom_message(text.c_str(), caption.c_str());
}

bool CWebWindow::ChooseOpenFile(std::string& path) {
    if (m_strOpenFilePath.empty())
        return false;
    path = m_strOpenFilePath;
    return true;
}

void CWebWindow::Navigate(const std::string& path) {
    // The page frame shows what the file held; a file that is not there shows
    // an empty page, as the window's view does.
    std::string bytes;
    std::string why;
    ReadWholeFile(path, bytes, why);
    torvi_dom_show_page(FramePage(PageAsUtf8(bytes)).c_str());
}
