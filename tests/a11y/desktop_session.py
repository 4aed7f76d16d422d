"""A private desktop session for the window's tests: a D-Bus session bus with
the accessibility bus on it, and either a virtual X display or a headless
Wayland compositor. Every process it starts is ended when the session closes.
"""
import os
import select
import shutil
import signal
import subprocess
import tempfile
import time


class SessionError(Exception):
    pass


def wait_until(what, check, timeout, step=0.1, pump=None):
    """Calls check until it gives something true, at most timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise SessionError(f"gave up after {timeout:g} s waiting for {what}")
        if pump is not None:
            pump(step)
        else:
            time.sleep(step)


def run_tool(argv, seconds=15, **kwargs):
    """Runs a tool to its end, at most seconds: a tool that takes longer ends
    the check, named."""
    try:
        return subprocess.run(argv, timeout=seconds, **kwargs)
    except subprocess.TimeoutExpired:
        raise SessionError(f"{' '.join(argv)} did not end within {seconds:g} s") from None


def read_line(pipe, what, seconds=20):
    """The first line a program writes on pipe, at most seconds."""
    ready, _, _ = select.select([pipe], [], [], seconds)
    if not ready:
        raise SessionError(f"{what} wrote nothing within {seconds:g} s")
    return pipe.readline()


SKIPPED = 77  # ctest's code for a check that cannot run here


def require(programs):
    """Ends the check as skipped, naming what is missing, when a program it
    needs or the accessibility bindings are not installed."""
    missing = [p for p in programs if shutil.which(p) is None and not os.access(p, os.X_OK)]
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import Atspi  # noqa: F401
    except (ImportError, ValueError):
        missing.append("python3-gi with gir1.2-atspi-2.0")
    if missing:
        print("skipped: not installed: " + ", ".join(missing) +
              " (scripts/install-deps installs them)")
        raise SystemExit(SKIPPED)


def end_within(seconds):
    """Ends the check with a clear message after seconds, and on SIGTERM or
    SIGINT, so that the session's processes are always ended on the way out."""
    def give_up(signum, frame):
        raise SessionError(f"the check was still running after {seconds} s"
                           if signum == signal.SIGALRM else f"ended by signal {signum}")
    for signum in (signal.SIGALRM, signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, give_up)
    signal.alarm(seconds)


class DesktopSession:
    def __init__(self, display="x11"):
        self.display = display
        self.folder = tempfile.mkdtemp(prefix="torvi-session-")
        self.processes = []
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": self.folder,
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": self._folder("runtime", 0o700),
            "XDG_CACHE_HOME": self._folder("cache", 0o700),
            "XDG_CONFIG_HOME": self._folder("config", 0o700),
            "XDG_DATA_HOME": self._folder("data", 0o700),
            "SDL_AUDIODRIVER": "dummy",
            "NO_AT_BRIDGE": "0",
        }
        if os.geteuid() == 0:
            self.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"

    def _folder(self, name, mode):
        path = os.path.join(self.folder, name)
        os.mkdir(path, mode)
        return path

    def start(self, name, argv, env=None, **kwargs):
        log = open(os.path.join(self.folder, name + ".log"), "wb")
        process = subprocess.Popen(argv, env=env or self.env, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True, **kwargs)
        process.log_path = log.name
        process.label = name
        self.processes.append(process)
        return process

    def log_of(self, process):
        with open(process.log_path, "rb") as log:
            return log.read().decode("utf-8", "replace")

    def open(self):
        self._start_bus()
        if self.display == "x11":
            self._start_x()
        else:
            self._start_wayland()
        self._start_accessibility_bus()
        return self

    def _start_bus(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               env=self.env, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL,
                               start_new_session=True)
        bus.label = "dbus-daemon"
        self.processes.append(bus)
        address = read_line(bus.stdout, "dbus-daemon").decode().strip()
        if not address:
            raise SessionError("dbus-daemon gave no address")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def _start_x(self):
        read_end, write_end = os.pipe()
        self.start("Xvfb", ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
                            "-nolisten", "tcp"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = read_line(pipe, "Xvfb").strip()
        if not number:
            raise SessionError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number
        # A window manager, as on a desktop: it gives the window the keyboard.
        if shutil.which("openbox"):
            self.start("openbox", ["openbox", "--sm-disable"])

    def _start_wayland(self):
        socket = "torvi-test-wayland"
        self.compositor = self.start(
            "weston", ["weston", "--backend=headless-backend.so", "--socket=" + socket,
                       "--idle-time=0", "--debug", "--use-pixman", "--width=1024", "--height=768"])
        runtime = self.env["XDG_RUNTIME_DIR"]
        wait_until("the Wayland compositor's socket",
                   lambda: os.path.exists(os.path.join(runtime, socket)) or self._ended(self.compositor),
                   20)
        if self._ended(self.compositor):
            raise SessionError("weston ended at start:\n" + self.log_of(self.compositor))
        self.env["WAYLAND_DISPLAY"] = socket

    def _start_accessibility_bus(self):
        launcher = self.start("at-spi-bus-launcher",
                              ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        # The launcher owns org.a11y.Bus once the accessibility bus is up.
        def owned():
            result = run_tool(
                ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                 "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                 "string:org.a11y.Bus"], env=self.env, capture_output=True, text=True)
            return "boolean true" in result.stdout or self._ended(launcher)
        wait_until("the accessibility bus", owned, 20)
        if self._ended(launcher):
            raise SessionError("at-spi-bus-launcher ended:\n" + self.log_of(launcher))
        # What a screen reader says when it starts: toolkits turn their bridges on.
        for prop in ("IsEnabled", "ScreenReaderEnabled"):
            run_tool(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                      "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                      "string:org.a11y.Status", "string:" + prop, "variant:boolean:true"],
                     env=self.env, capture_output=True)

    @staticmethod
    def _ended(process):
        return process.poll() is not None

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self.open()

    def __exit__(self, *exc):
        self.close()
        return False
