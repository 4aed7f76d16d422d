#!/usr/bin/python3
"""The quiz window as a screen reader meets it. On a virtual X display with a
private session bus and accessibility bus, torvi is started and read over the
bus, as Orca reads it: every control has a name that says what it is, the
label "Answers:" labels the boxes, the pages' text and titles are reachable,
and the verdict with its comment, the next question and the score are
announced as the window shows them, in that order, while the keyboard focus
stays where the learner types.

Usage: screen_reader_check.py PROGRAM_FOLDER QUIZ_FILE
The quiz's first question must be "What is the capital of France?" (Paris),
with a comment; the quiz has three questions."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop_session import DesktopSession, SessionError, end_within, require, wait_until  # noqa: E402

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL: " + message, file=sys.stderr)
    return condition


def main():
    program_folder, quiz = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    with DesktopSession("x11") as session:
        os.environ.update(session.env)
        # The bindings find the accessibility bus through the session bus above.
        from window_reader import WindowReader
        reader = WindowReader()
        env = dict(session.env, QT_QPA_PLATFORM="xcb")
        torvi = session.start("torvi", [os.path.join(program_folder, "torvi")], env=env,
                              cwd=program_folder)
        try:
            window = reader.application(torvi)
            run(reader, window, quiz)
        except SessionError as error:
            failures.append(str(error))
            print("FAIL: " + str(error), file=sys.stderr)
            print("torvi's output:\n" + session.log_of(torvi)[-3000:], file=sys.stderr)
    return 1 if failures else 0


def run(reader, window, quiz):
    from window_reader import Atspi, do_action, pump, role, text_of, walk
    find = reader.find

    # Every control a learner can reach says what it is.
    controls = {"Answer %d" % n: "text" for n in range(1, 11)}
    controls.update({"Feedback": "text", "Comment": "text", "Question": "filler",
                     "Quit": "push button", "Restart": "push button",
                     "Repeat Question": "push button", "Explanation": "push button"})
    named = {}
    for node in walk(window):
        if node.get_name() in controls:
            named[node.get_name()] = role(node)
        if role(node) in ("text", "push button", "check box", "menu item", "check menu item"):
            check(node.get_name(), f"a {role(node)} has no name")
    for name, expected in controls.items():
        check(named.get(name) == expected,
              f"no {expected} named '{name}' (found {named.get(name)})")

    label = find(window, "the label Answers:", role="label", name="Answers:")
    first = find(window, "answer box 1", role="text", name="Answer 1")
    labelled_by = [relation.get_target(0).get_name() for relation in first.get_relation_set()
                   if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY]
    # A screen reader calls a box by the label that labels it before its own
    # name, so no box takes "Answers:" as its label: the first is "Answer 1".
    check(labelled_by == [], f"Answer 1 is labelled by {labelled_by}, not named by itself")
    labels = sorted(relation.get_target(i).get_name() for relation in label.get_relation_set()
                    if relation.get_relation_type() == Atspi.RelationType.LABEL_FOR
                    for i in range(relation.get_n_targets()))
    check(labels == sorted("Answer %d" % n for n in range(1, 11)),
          f"the label Answers: labels {labels}, not the ten answer boxes")

    # The welcome page is readable, under its own title, inside the page view.
    page_view = find(window, "the page view", role="filler", name="Question")
    welcome = find(page_view, "the welcome page's text", 60, role="document web",
                   text_contains="File > Open")
    check(welcome.get_name() == "Welcome to Torvi",
          f"the welcome page is titled '{welcome.get_name()}'")

    # File > Open, the quiz's path typed in the dialog's name box.
    do_action(find(window, "File > Open", role="menu item", name="Open"), "Press",
              opens_modal=True)
    app = window.get_parent()
    dialog = find(app, "the open-file dialog", role="dialog", name="Open")
    name_box = find(dialog, "the file name box", role="text", name="File name:")
    Atspi.EditableText.set_text_contents(name_box, quiz)
    do_action(find(dialog, "the Open button", role="push button", name="Open"), "Press")

    question = find(page_view, "the first question's page", 60, role="document web",
                    text_contains="What is the capital of France?")
    check(question.get_name() == "Question", f"the question page is titled '{question.get_name()}'")

    # A right answer: the verdict and the comment are announced as shown, then
    # the next question, and the focus stays in the first answer box.
    Atspi.EditableText.set_text_contents(first, "Paris")
    Atspi.Component.grab_focus(first)
    wait_until("the focus in Answer 1",
               lambda: first.get_state_set().contains(Atspi.StateType.FOCUSED), 10, pump=pump)
    reader.events.clear()
    Atspi.generate_keyboard_event(0xff0d, None, Atspi.KeySynthType.SYM)  # Return
    find(page_view, "the second question's page", 30, role="document web",
         text_contains="What is the capital of Spain?")
    feedback = find(window, "the feedback box", role="text", name="Feedback")
    comment = find(window, "the comment box", role="text", name="Comment")
    wait_until("two announcements after the right answer",
               lambda: len(reader.announcements()) >= 2, 10, pump=pump)
    pump(0.5)
    shown = "\n".join(t for t in (text_of(feedback), text_of(comment)) if t)
    check(shown.startswith("You are Correct!!!"), f"the feedback box shows {shown!r}")
    check(reader.announcements() == [shown, "What is the capital of Spain?"],
          f"announced {reader.announcements()!r}, the window shows {shown!r} "
          "and the question 'What is the capital of Spain?'")
    check(first.get_state_set().contains(Atspi.StateType.FOCUSED),
          "the focus left Answer 1 after the verdict")
    # The focus comes to rest in the box after both announcements: a screen
    # reader says the box's name last, and the focus never visits another
    # control on the way, which a screen reader would take for a move.
    kinds = [(kind, who, name, on) for kind, who, name, on in reader.events]
    focused = [(i, name) for i, (kind, who, name, on) in enumerate(kinds)
               if kind == "object:state-changed:focused" and on]
    spoken = [i for i, (kind, who, name, on) in enumerate(kinds)
              if kind == "object:state-changed:showing" and who == "notification" and on]
    check(focused and spoken and focused[-1][0] > spoken[-1],
          f"the focus settled before the announcements: {reader.events}")
    check(all(name == "Answer 1" for i, name in focused),
          f"the focus went elsewhere on the way: {reader.events}")

    # Quit: the score is announced as shown.
    reader.events.clear()
    do_action(find(window, "the Quit button", role="push button", name="Quit"), "Press")
    wait_until("an announcement after Quit", reader.announcements, 10, pump=pump)
    pump(0.5)
    score = text_of(feedback)
    check(score.startswith("You got "), f"after Quit the feedback box shows {score!r}")
    check(reader.announcements() == [score],
          f"announced {reader.announcements()!r} after Quit, the window shows {score!r}")
    # The focus is where the learner can go on: Restart, not an empty box.
    restart = find(window, "the Restart button", role="push button", name="Restart")
    wait_until("the focus on Restart",
               lambda: restart.get_state_set().contains(Atspi.StateType.FOCUSED), 10, pump=pump)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    require(["Xvfb", "dbus-daemon", "/usr/libexec/at-spi-bus-launcher"])
    end_within(180)
    status = main()
    print("screen reader check: " + ("passed" if status == 0 else
                                     f"{len(failures)} failure(s)"))
    sys.exit(status)
