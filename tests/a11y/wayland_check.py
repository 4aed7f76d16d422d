#!/usr/bin/python3
"""The window on a Wayland-only session: a headless Weston compositor with a
private runtime folder, no X display and QT_QPA_PLATFORM unset. torvi must
start natively, name itself to the compositor by its desktop file name, load
a quiz (through the accessibility bus, as no keys can be sent to Wayland from
outside), draw its window and its pages, and stay up.

Usage: wayland_check.py PROGRAM_FOLDER QUIZ_FILE
The quiz's first question must be "What is the capital of France?"."""
import glob
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import (DesktopSession, SessionError, end_within, require, run_tool,  # noqa: E402
                             wait_until)

APP_ID = "org.example.torvi"


def screenshot(session, name):
    """The compositor's whole output as a PNG file."""
    before = set(glob.glob(os.path.join(session.folder, "*.png")))
    run_tool(["weston-screenshooter"], 30, env=session.env, cwd=session.folder,
             capture_output=True, check=True)
    made = set(glob.glob(os.path.join(session.folder, "*.png"))) - before
    if len(made) != 1:
        raise SessionError("weston-screenshooter made no picture")
    path = os.path.join(session.folder, name + ".png")
    os.rename(made.pop(), path)
    return path


def pixels_changed(first, second):
    result = run_tool(["compare", "-metric", "AE", first, second, "null:"], 30,
                      capture_output=True, text=True)
    return int(float(result.stderr.split()[0]))


def main():
    program_folder, quiz = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failures = []
    with DesktopSession("wayland") as session:
        os.environ.update(session.env)
        from window_reader import Atspi, WindowReader, do_action, pump, text_of
        reader = WindowReader()
        # The shell draws its background and panel a moment after it starts.
        empty_desktop = screenshot(session, "desktop")
        for attempt in range(20):
            pump(0.5)
            again = screenshot(session, "desktop%d" % attempt)
            settled = pixels_changed(empty_desktop, again) == 0
            empty_desktop = again
            if settled:
                break
        env = dict(session.env, WAYLAND_DEBUG="client")
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("DISPLAY", None)
        torvi = session.start("torvi", [os.path.join(program_folder, "torvi")], env=env,
                              cwd=program_folder)
        try:
            window = reader.application(torvi)
            find = reader.find
            page_view = find(window, "the page view", role="filler", name="Question")
            find(page_view, "the welcome page", 60, role="document web",
                 text_contains="File > Open")
            pump(2)  # a frame or two for the page
            with_welcome = screenshot(session, "welcome")
            do_action(find(window, "File > Open", role="menu item", name="Open"), "Press",
                      opens_modal=True)
            dialog = find(window.get_parent(), "the open-file dialog", role="dialog",
                          name="Open")
            Atspi.EditableText.set_text_contents(
                find(dialog, "the file name box", role="text", name="File name:"), quiz)
            do_action(find(dialog, "the Open button", role="push button", name="Open"),
                      "Press")
            find(page_view, "the first question's page", 60, role="document web",
                 text_contains="What is the capital of France?")
            pump(2)  # a frame or two for the page
            with_question = screenshot(session, "question")
            changed = pixels_changed(empty_desktop, with_question)
            # The window is some 560 by 620 pixels at scale 1.
            if changed < 200000:
                failures.append(f"only {changed} pixels of the screen changed with the "
                                "window open: it was not drawn")
            # The page view draws on Wayland too: the question replaces the welcome.
            page_changed = pixels_changed(with_welcome, with_question)
            print(f"pixels changed: {changed} by the window, {page_changed} by the page")
            if page_changed < 2000:
                failures.append(f"only {page_changed} pixels changed from the welcome page to "
                                "the question: the page view does not draw")
            do_action(find(window, "the Quit button", role="push button", name="Quit"),
                      "Press")
            feedback = find(window, "the feedback box", role="text", name="Feedback")
            wait_until("the score", lambda: text_of(feedback).startswith("You got 0/"), 10,
                       pump=pump)
            pump(2)
            if torvi.poll() is not None:
                failures.append(f"torvi ended with code {torvi.returncode} after the score")
            log = session.log_of(torvi)
            if f'set_app_id("{APP_ID}")' not in log:
                failures.append(f"the window did not name itself {APP_ID} to the compositor")
            if "wl_display" not in log:
                failures.append("torvi did not talk Wayland")
        except SessionError as error:
            failures.append(str(error))
            log = session.log_of(torvi)
            print("torvi's output (last lines):\n" +
                  "\n".join(line for line in log.splitlines() if "->" not in line
                            and "@" not in line)[-3000:], file=sys.stderr)
    for failure in failures:
        print("FAIL: " + failure, file=sys.stderr)
    print("Wayland check: " + ("passed" if not failures else f"{len(failures)} failure(s)"))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    require(["weston", "weston-screenshooter", "compare", "dbus-daemon", "/usr/libexec/at-spi-bus-launcher"])
    end_within(240)
    sys.exit(main())
