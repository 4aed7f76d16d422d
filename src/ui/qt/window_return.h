// Running a modal dialog so that its window is the active one again when the
// dialog closes, and so that a screen reader knows it. When a Qt 6.4 dialog
// closes, Qt makes the window active again by itself, and the accessibility
// bridge, which reports only the activations the platform sends, then often
// reports none: a screen reader keeps the closed dialog as the active window
// and stops speaking the window's focus. The bridge does pass on a change of
// the active state it is told of, for a window in the window role
// (QAccessible::Window), so the window is announced as activated that way.
#pragma once

class QDialog;
class QWidget;

// Runs dialog as exec() does and returns its result; the window is then
// raised, activated and, once it is active, announced as activated.
int ExecReturningTo(QDialog& dialog, QWidget* window);

// The second half alone, for a dialog that ran some other way.
void ReturnTo(QWidget* window);
