// Running a modal dialog so that its window is the active one again when the
// dialog closes, and so that a screen reader knows it. When a Qt 6.4 dialog
// closes, the window manager gives the window back the keyboard, but the
// accessibility bridge reports the window's activation only if that happens
// in the order it expects: often a screen reader is told nothing, keeps the
// closed dialog as the active window, and stops speaking the window's focus.
#pragma once

class QDialog;
class QWidget;

// Runs dialog as exec() does and returns its result; the window is then
// raised, activated and, once it is active, announced as activated.
int ExecReturningTo(QDialog& dialog, QWidget* window);

// The second half alone, for a dialog that ran some other way.
void ReturnTo(QWidget* window);
