#include "terminal/accent_key.h"

#include <utility>

#include "terminal/terminal_window.h"
#include "ui/torvi_dlg.h"

bool AccentTypedLine(CTerminalWindow& window, CTorviDlg& dlg, std::string& line, int& caret) {
    if (dlg.GetState() != QuizState::Asking)
        return false;
    const int box = window.NextUnansweredBox();
    if (box < 0)
        return false;

    // What the box held, put back afterwards: the line is not an answer
    // until Enter is pressed.
    const std::string savedText = window.GetAnswerText(box);
    int savedStart = 0;
    int savedEnd = 0;
    window.GetAnswerSelection(box, savedStart, savedEnd);
    const int savedFocus = window.GetFocusedAnswerBox();

    window.SetAnswerText(box, line);
    window.FocusAnswerBox(box);
    window.SetAnswerSelection(box, caret, caret);
    dlg.OnAccent();
    std::string text = window.GetAnswerText(box);
    int start = 0;
    int end = 0;
    window.GetAnswerSelection(box, start, end);

    window.SetAnswerText(box, savedText);
    window.SetAnswerSelection(box, savedStart, savedEnd);
    window.FocusAnswerBox(savedFocus);

    if (text == line && start == caret)
        return false;
    line = std::move(text);
    caret = start;
    return true;
}
