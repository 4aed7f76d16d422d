#!/usr/bin/python3
"""The quiz as a learner who only listens meets it: Orca itself, on a virtual X
display with a private session bus, speech-dispatcher and espeak-ng, while
the quiz is played with the keyboard alone, each key held as a person holds
it. What Orca said is read from its own debug file, and each thing the
learner needs must have been said, in this order: the welcome page whole;
after File > Open the first question and the box by its name; the verdict
with its comment before the next question; after a wrong answer and Enter
the next question and the box; each box by its name as Tab reaches it; the
score after Quit, with the focus on Restart; the window again after the about
box, and after the message box about a quiz that does not load. No
announcement carries the window's title or the quiz's path. Then the
quiz editor: after its open-file dialog and its Save As dialog the editor is
the active window again and Orca speaks its text.

Usage: orca_check.py PROGRAM_FOLDER QUIZ_FILE BROKEN_QUIZ_FILE
The quiz is the example geography quiz; the broken one does not load, and is
opened first: the message box says so, and the window is heard again after it."""
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import SKIPPED, SessionError, end_within, require, wait_until  # noqa: E402
import orca_session  # noqa: E402
from orca_session import OrcaSession, press, settle, type_text  # noqa: E402


class Listener:
    """Goes through what Orca said, from the last thing heard on."""

    def __init__(self, session):
        self.session = session
        self.heard = 0

    def hear(self, what, pattern, timeout=20):
        """Waits for an utterance matching pattern after the last one heard."""
        expression = re.compile(pattern)

        def look():
            said = self.session.spoken()
            for i in range(self.heard, len(said)):
                if expression.search(said[i]):
                    return i + 1
            return None
        try:
            self.heard = wait_until(what, look, timeout, step=0.2)
        except SessionError:
            recent = self.session.spoken()[self.heard:]
            raise SessionError(f"Orca did not say {what} (/{pattern}/); after the last "
                               f"thing heard it said: {recent}")
        return self.session.spoken()[self.heard - 1]


def main():
    program_folder, quiz, broken = (os.path.abspath(a) for a in sys.argv[1:4])
    with OrcaSession("x11") as session:
        env = dict(session.env, QT_QPA_PLATFORM="xcb")
        torvi = session.start("torvi", [os.path.join(program_folder, "torvi")], env=env,
                              cwd=program_folder)
        program = torvi
        try:
            listener = Listener(session)
            play(session, listener, quiz, broken)
            # SIGTERM closes the window as the learner would.
            os.killpg(torvi.pid, signal.SIGTERM)
            torvi.wait(timeout=20)
            # Orca has a gone application's events to go through first.
            settle(session, quiet=1.0, timeout=20)
            program = session.start("torvi-editor",
                                    [os.path.join(program_folder, "torvi-editor")], env=env,
                                    cwd=program_folder)
            edit(session, listener, quiz)
        except (SessionError, subprocess.TimeoutExpired) as error:
            print("FAIL: " + str(error), file=sys.stderr)
            print(f"{program.label}'s output:\n" + session.log_of(program)[-2000:],
                  file=sys.stderr)
            keep = os.environ.get("TORVI_ORCA_LOG", os.path.abspath("orca-check-debug.txt"))
            with open(keep, "w") as out:
                out.write(session.debug_text())
            print("Orca's debug file: " + keep, file=sys.stderr)
            return 1
        said = session.spoken()
        leaks = [s for s in said if s.startswith("notification") and
                 (quiz in s or "Halvan Torvi - " in s)]
        if leaks:
            print(f"FAIL: announcements carry the title or the path: {leaks}", file=sys.stderr)
            return 1
    return 0


def open_file(session, hear, path):
    """File > Open from the keyboard: Alt to the menu bar, Down opens File,
    Down again to Open; the path typed into the dialog's name box."""
    press(session, "alt", "Down")
    hear("the File menu", r"^File\b")
    press(session, "Down")
    press(session, "Return")
    # The dialog is Qt's own; Orca says its name, and the focus is in the
    # file name box with the filter selected, which typing replaces.
    hear("the open-file dialog", r"\bOpen dialog\b")
    time.sleep(1)
    type_text(session, path)
    press(session, "Return")


def play(session, listener, quiz, broken):
    hear = listener.hear
    # The welcome page, every word of it, inline pieces and short lines too.
    hear("the welcome page whole",
         r"Welcome to Halvan Torvi File > Open picks a quiz: the examples are in the quizzes "
         r"folder\. Type your answer in the boxes below and press Enter\. After a wrong "
         r"answer, Enter goes on to the next question\. Ctrl\+A accents the letter before "
         r"the caret: .* Order jumbles the questions; Options turns the sound off\.", 60)

    # A quiz that does not load: the message, and the window again after it.
    open_file(session, hear, broken)
    # Qt's message box; Orca says its text, or at least its button.
    hear("the message box", r"\bBad Syntax for Torvi file\b|^OK push button\b", 30)
    press(session, "Return")
    # Orca speaks the window as it becomes active, or only its focus when it
    # never took the message box for the active window: either way it is
    # heard again.
    hear("the window again after the message",
         r"\bHalvan Torvi frame\b|^Feedback read only text\b")

    open_file(session, hear, quiz)
    hear("the first question", r"^notification What is the capital of France\?$", 30)
    hear("the first box by its name", r"^Answer 1 text\b")

    # A right answer: the verdict with its comment, then the next question.
    type_text(session, "Paris")
    press(session, "Return")
    hear("the verdict with its comment",
         r"^notification You are Correct!!! Paris Paris lies on the Seine\.$")
    hear("the second question", r"^notification Which river flows through Cairo\?$")

    # A wrong answer: the correction and the comment; Enter goes on.
    type_text(session, "Cairo")
    press(session, "Return")
    hear("the correction with its comment",
         r"^notification You are wrong, the correct answer is: .*The Nile "
         r"The Nile is the longest river in Africa\.$")
    press(session, "Return")
    hear("the third question after Enter",
         r"^notification Name the three largest oceans, largest first\.$")
    hear("the first box after Enter", r"^Answer 1 text\b")

    # Each box by its name as Tab and Shift+Tab reach it.
    type_text(session, "Pacific")
    press(session, "Tab")
    hear("the second box", r"^Answer 2 text\b")
    type_text(session, "Atlantic")
    press(session, "Tab")
    hear("the third box", r"^Answer 3 text\b")
    type_text(session, "Indian")
    press(session, "Return")
    hear("the verdict on three answers",
         r"^notification You are Correct!!! Pacific Atlantic Indian\.?$")
    hear("the fourth question", r"^notification Which is the highest mountain on Earth\?$")

    # Quit: Tab on to the button (the feedback box comes first), Space.
    press(session, "Tab")
    hear("the feedback box", r"^Feedback read only text\b")
    press(session, "Tab")
    hear("the Quit button", r"^Quit push button\b")
    press(session, "space")
    hear("the score", r"^notification You got 2/5 right\.$")
    hear("the focus on Restart", r"^Restart push button\b")

    # Help > About from the keyboard and back: the window is active again and
    # Orca speaks its focus.
    press(session, "alt", "Down")
    hear("the File menu again", r"^File\b")
    press(session, "Left")
    hear("the Help menu's first item", r"^Contents\b")
    press(session, "Up")
    hear("About", r"^About\b")
    press(session, "Return")
    hear("the about box", r"\bdialog\b")
    press(session, "Escape")
    hear("the window again after the about box", r"\bRestart push button\b")


def edit(session, listener, quiz):
    hear = listener.hear
    # The editor's first window as it opens; Orca now and then misses a new
    # application's first activation, which is no dialog's doing, so the
    # check goes on without it: what counts is the window after its dialogs.
    try:
        hear("the editor's window", r"^Untitled quiz - Torvi Quiz Editor frame\b", 30)
    except SessionError as error:
        print("note: " + str(error))
    press(session, "ctrl+o")
    hear("the editor's open-file dialog", r"\bOpen Quiz dialog\b")
    time.sleep(1)
    type_text(session, quiz)
    press(session, "Return")
    hear("the editor again after opening",
         r"^geography\.txt - Torvi Quiz Editor frame\b", 30)
    press(session, "Down", "Down")
    hear("the text where the caret is", r"^What is the capital of France\?$")
    press(session, "ctrl+shift+s")
    hear("the Save As dialog", r"\bSave Quiz As dialog\b")
    press(session, "Escape")
    hear("the editor again after Save As", r"^geography\.txt - Torvi Quiz Editor frame\b")
    press(session, "Down")
    hear("the next line of the text", r"^Paris$")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    missing = orca_session.missing_programs()
    if missing:
        print("skipped: not installed: " + ", ".join(missing) +
              " (scripts/install-deps installs orca, speech-dispatcher and espeak-ng)")
        sys.exit(SKIPPED)
    require(["Xvfb", "openbox", "dbus-daemon", "/usr/libexec/at-spi-bus-launcher"])
    end_within(170)
    started = time.monotonic()
    status = main()
    print("orca check: %s in %.0f s" % ("passed" if status == 0 else "failed",
                                        time.monotonic() - started))
    sys.exit(status)
