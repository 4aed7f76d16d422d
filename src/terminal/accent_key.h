// The accent key (Ctrl+A) on a line being typed at the terminal: the quiz
// window's own rule turns the letter before the caret into its accented form.
#pragma once

#include <string>

class CTerminalWindow;
class CTorviDlg;

// Hands line (UTF-8) and caret (in characters) to the answer box the line is
// being typed for, lets dlg's accent key work on it, and takes back the box's
// text and caret. The box is left as it was, still waiting for its answer.
// False, and nothing changed, when no question is being answered or the key
// changed nothing.
bool AccentTypedLine(CTerminalWindow& window, CTorviDlg& dlg, std::string& line, int& caret);
