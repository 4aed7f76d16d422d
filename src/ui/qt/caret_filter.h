// Keeps caret moves in a control from a screen reader until it has been told
// the control has the focus. Orca takes a text box whose caret moves while the
// box has the focus for the focused object, silently: it looks at the box
// when it comes to the event, which may be after the focus came, and Qt itself
// moves the caret of a box that gets the focus before it reports the focus. A
// box that is cleared for the next question, or reached by Tab, is then not
// spoken. A caret moving where the focus is not yet tells a listener nothing.
#pragma once

// Installed once for the application; later calls do nothing.
void DropCaretMovesOutOfFocus();
