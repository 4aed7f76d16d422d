"""The quiz window as a screen reader sees it: the accessibility tree of the
running torvi, reached over the accessibility bus, and the events it sends."""
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

from desktop_session import SessionError, wait_until  # noqa: E402

WINDOW_TITLE = "Halvan Torvi"


def pump(seconds):
    """Lets the bus deliver events for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def walk(node, depth=0, limit=40):
    """Every object under node, node first."""
    if node is None or depth > limit:
        return
    yield node
    for i in range(node.get_child_count()):
        yield from walk(node.get_child_at_index(i), depth + 1, limit)


def role(node):
    return node.get_role_name()


def text_of(node):
    if "Text" not in node.get_interfaces():
        return None
    return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))


def visible_text(node):
    """The page's text as a reader goes through it: every piece in tree order."""
    pieces = []
    for part in walk(node):
        if part.get_child_count() == 0:
            piece = text_of(part)
            if piece is None:
                piece = part.get_name() or ""
            pieces.append(piece.replace("\ufffc", ""))
    return " ".join(p for p in pieces if p)


class WindowReader:
    def __init__(self):
        Atspi.init()
        self.events = []
        self._listener = Atspi.EventListener.new(self._record)
        for kind in ("object:state-changed:showing", "object:state-changed:focused",
                     "object:text-changed:insert"):
            self._listener.register(kind)

    def _record(self, event):
        try:
            self.events.append((event.type, role(event.source), event.source.get_name() or "",
                                event.detail1))
        except GLib.Error:
            pass  # the object went away before it could be asked

    def application(self, process, timeout=60):
        def find():
            if process.poll() is not None:
                raise SessionError(f"torvi ended with code {process.returncode} before its "
                                   "window reached the accessibility bus")
            desktop = Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_name() == "torvi":
                    for window in walk(app, limit=1):
                        if window.get_name() == WINDOW_TITLE:
                            return window
            return None
        return wait_until("the window \"%s\" on the accessibility bus" % WINDOW_TITLE, find,
                          timeout, pump=pump)

    @staticmethod
    def find(top, what, timeout=30, **match):
        def look():
            for node in walk(top):
                try:
                    if all(_matches(node, key, value) for key, value in match.items()):
                        return node
                except GLib.Error:
                    continue
            return None
        return wait_until(what, look, timeout, pump=pump)

    def announcements(self):
        """The texts the window announced, oldest first."""
        return [name for kind, who, name, shown in self.events
                if kind == "object:state-changed:showing" and who == "notification" and shown]


def _matches(node, key, value):
    if key == "role":
        return role(node) == value
    if key == "name":
        return node.get_name() == value
    if key == "name_in":
        return node.get_name() in value
    if key == "text_contains":
        return value in visible_text(node)
    raise KeyError(key)


def do_action(node, *names, opens_modal=False):
    """Runs the first of names the object offers (press, click, ...). A command
    that opens a modal dialog answers only when the dialog closes, so then the
    call is not waited for."""
    if "Action" not in node.get_interfaces():
        raise SessionError(f"{role(node)} '{node.get_name()}' offers no action")
    offered = [Atspi.Action.get_action_name(node, i) for i in range(Atspi.Action.get_n_actions(node))]
    for name in names:
        if name in offered:
            if not opens_modal:
                Atspi.Action.do_action(node, offered.index(name))
                return
            Atspi.set_timeout(1500, -1)
            try:
                Atspi.Action.do_action(node, offered.index(name))
            except GLib.Error:
                pass  # no answer while the dialog is open
            finally:
                Atspi.set_timeout(25000, -1)
            return
    raise SessionError(f"{role(node)} '{node.get_name()}' offers {offered}, not {names}")
