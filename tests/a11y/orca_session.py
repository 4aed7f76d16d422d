"""The screen reader itself in a private desktop session: speech-dispatcher
with espeak-ng speaking into a null sound device, and Orca writing what it
says into its debug file. Nothing of the user's own desktop is touched: the
session bus, the speech server's socket and Orca's settings are the session's
own, and every process is started, and ended, by its id.
"""
import json
import os
import re
import shutil
import subprocess
import threading
import time
import tty

from desktop_session import DesktopSession, SessionError, wait_until

ORCA = "/usr/bin/orca"
SPEECHD = "/usr/bin/speech-dispatcher"
ESPEAK_MODULE = "/usr/lib/speech-dispatcher-modules/sd_espeak-ng"
NEEDED = [ORCA, SPEECHD, ESPEAK_MODULE, "/usr/bin/espeak-ng", "xdotool"]

# Orca's debug file has each utterance as SPEECH OUTPUT: 'TEXT' and the voice
# after it; a text of several lines goes on over indented lines.
_SPOKEN_MARK = "SPEECH OUTPUT: '"
_SPOKEN_END = re.compile(r"'(?: voice=\w+)?\s*(?:\[?\{.*\}\]?)?$")


class OrcaSession(DesktopSession):
    """A desktop session (Xvfb, openbox, the accessibility bus) with Orca."""

    def open(self):
        super().open()
        self._start_speech_server()
        self._start_orca()
        return self

    def _start_speech_server(self):
        config = self._folder("speechd", 0o700)
        os.mkdir(os.path.join(config, "modules"))
        logs = self._folder("speechd-logs", 0o700)
        # ALSA's own configuration replaced by one null device: espeak-ng
        # really synthesises and writes its sound, and nobody hears it.
        alsa = os.path.join(self.folder, "asound.conf")
        with open(alsa, "w") as out:
            out.write("pcm.!default { type null }\nctl.!default { type null }\n")
        with open(os.path.join(config, "speechd.conf"), "w") as out:
            out.write('LogLevel 3\nLogDir "%s"\nAudioOutputMethod "alsa"\n'
                      'AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"\n'
                      'DefaultModule espeak-ng\nDefaultLanguage "en"\n'
                      'DisableAutoSpawn\n' % logs)
        open(os.path.join(config, "modules", "espeak-ng.conf"), "w").close()
        self.speech_socket = os.path.join(self.env["XDG_RUNTIME_DIR"], "speechd.sock")
        self.env["ALSA_CONFIG_PATH"] = alsa
        self.env["SPEECHD_ADDRESS"] = "unix_socket:" + self.speech_socket
        self.speechd = self.start("speech-dispatcher", [
            SPEECHD, "--run-single", "--timeout", "0", "--communication-method", "unix_socket",
            "--socket-path", self.speech_socket, "--config-dir", config, "--log-dir", logs,
            "--pid-file", os.path.join(self.folder, "speechd.pid")])
        wait_until("speech-dispatcher's socket",
                   lambda: os.path.exists(self.speech_socket) or self._ended(self.speechd), 20)
        if self._ended(self.speechd):
            raise SessionError("speech-dispatcher ended at start:\n" + self.log_of(self.speechd))

    def _start_orca(self):
        # Orca will not start beside another Orca of the same user, and finds
        # one by pgrep. This Orca talks only to this session's buses, so the
        # user's own screen reader is hidden from it rather than ended.
        shims = self._folder("shims", 0o700)
        with open(os.path.join(shims, "pgrep"), "w") as out:
            out.write("#!/bin/sh\nexit 1\n")
        os.chmod(os.path.join(shims, "pgrep"), 0o700)
        env = dict(self.env, PATH=shims + os.pathsep + self.env["PATH"], GTK_A11Y="none")
        prefs = os.path.join(self.env["XDG_DATA_HOME"], "orca")
        os.mkdir(prefs, 0o700)
        # Orca's defaults, but keys are not echoed: Qt waits at most 100 ms
        # for Orca to pass on each key, and Orca saying the key's name takes
        # about as long, after which Qt may deliver the key twice (an Alt that
        # opens the menu bar and shuts it again).
        profile = {"profile": ["Default", "default"], "enableKeyEcho": False}
        with open(os.path.join(prefs, "user-settings.conf"), "w") as out:
            json.dump({"general": dict(profile, firstStart=False,
                                       startingProfile=["Default", "default"]),
                       "profiles": {"default": profile}, "pronunciations": {},
                       "keybindings": {}}, out, indent=4)
        self.debug_file = os.path.join(self.folder, "orca-debug.txt")
        self.orca = self.start("orca", [ORCA, "--user-prefs", prefs,
                                        "--debug-file", self._debug_terminal()], env=env)
        # Orca says its welcome once it listens to the bus.
        wait_until("Orca to start speaking",
                   lambda: self.spoken() or self._ended(self.orca), 60)
        if self._ended(self.orca):
            raise SessionError("Orca ended at start:\n" + self.log_of(self.orca))

    def _debug_terminal(self):
        """Orca writes its debug file through Python's buffer, which holds the
        last few kilobytes back until it fills; written to a terminal it goes
        out line by line. So Orca gets a pseudo-terminal, and a thread copies
        what comes out of it into the debug file as it comes."""
        master, slave = os.openpty()
        tty.setraw(slave)  # no line ends made CR LF
        self._terminal = (master, slave)
        out = open(self.debug_file, "ab", buffering=0)

        def copy():
            with out:
                while True:
                    try:
                        chunk = os.read(master, 65536)
                    except OSError:
                        return  # the terminal was closed
                    if not chunk:
                        return
                    out.write(chunk)
        self._copier = threading.Thread(target=copy, daemon=True)
        self._copier.start()
        return os.ttyname(slave)

    def close(self):
        try:
            super().close()
        finally:
            terminal = getattr(self, "_terminal", None)
            if terminal:
                for fd in terminal:
                    os.close(fd)
                self._copier.join(timeout=5)

    def debug_text(self):
        try:
            with open(self.debug_file, "rb") as log:
                return log.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""

    def spoken(self):
        """What Orca has said so far, oldest first, each utterance with its
        runs of white space (line ends too) made one space."""
        said = []
        current = None
        for line in self.debug_text().splitlines():
            if current is None:
                start = line.find(_SPOKEN_MARK)
                if start < 0:
                    continue
                current = []
                line = line[start + len(_SPOKEN_MARK):]
            end = _SPOKEN_END.search(line)
            current.append(line[:end.start()] if end else line)
            if end:
                said.append(" ".join(" ".join(current).split()))
                current = None
        return said


def settle(session, quiet=0.5, timeout=10):
    """Waits until Orca has had nothing to say or do for a moment, as a
    listener waits for the speech to end before the next key. A key pressed
    while Orca is busy waits in Qt for Orca's answer, which may come too late;
    Qt then may pass the key on twice, and Alt twice opens no menu."""
    deadline = time.monotonic() + timeout
    size, since = -1, time.monotonic()
    while time.monotonic() < deadline:
        try:
            now = os.path.getsize(session.debug_file)
        except OSError:
            now = -1
        if now != size:
            size, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            return
        time.sleep(0.05)


def press(session, *keys, hold=0.09, gap=0.15, wait=True):
    """Presses each key as a person does: down, held about 90 ms, up; each
    once Orca is done with the one before, unless wait is false."""
    for key in keys:
        if wait:
            settle(session)
        for action in ("keydown", "keyup"):
            result = subprocess.run(["xdotool", action, key], env=session.env,
                                    capture_output=True, text=True, timeout=10)
            if result.returncode != 0:
                raise SessionError(f"xdotool {action} {key}: {result.stderr.strip()}")
            time.sleep(hold if action == "keydown" else gap)


def type_text(session, text):
    """Types a text key by key, each held as in press, as a touch typist does."""
    names = {" ": "space", "/": "slash", ".": "period", "-": "minus", "_": "underscore",
             ",": "comma"}
    settle(session)
    press(session, *[names.get(c, c) for c in text], wait=False)


def missing_programs():
    return [p for p in NEEDED if shutil.which(p) is None and not os.access(p, os.X_OK)]
