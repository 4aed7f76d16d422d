#!/usr/bin/env bash
# A newcomer's first run: clones the repository's current commit into an empty
# folder, runs scripts/run there on a virtual display, and checks that the
# quiz window "Halvan Torvi" comes up showing the welcome page (a picture of
# the window shows its heading's colour).
# Usage: newcomer_run_check.sh SOURCE_DIR
set -euo pipefail
source_dir=$(realpath "$1")

for tool in git xvfb-run xdotool xwd convert timeout; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "FAIL: $tool is missing (scripts/install-deps installs it)" >&2
        exit 1
    fi
done
if ! git -C "$source_dir" rev-parse --verify -q HEAD >/dev/null; then
    echo "SKIP: $source_dir is not a git repository with a commit"
    exit 77
fi

work=$(mktemp -d)
cleanup() {
    if [ -n "${run_pid:-}" ]; then
        kill "$run_pid" 2>/dev/null || true
        wait "$run_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
git clone -q --no-hardlinks "$source_dir" "$work/torvi"
SECONDS=0

# On the virtual display: scripts/run, which ends by becoming the window.
cat >"$work/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
cd "$1"
# The window must come up on this display, whatever the tests around chose.
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# In a process group of its own, so that stopping it also stops a build still running.
SDL_AUDIODRIVER=dummy setsid scripts/run >"$2/run.log" 2>&1 &
run=$!
# A picture of the window, read from the display without grabbing the server
# (which would stall the page engine's drawing), each tool under a time limit
# that says so when it is reached.
picture() {
    local status=0
    timeout 20 xwd -silent -id "$1" >"$2.xwd" 2>/dev/null || status=$?
    if [ "$status" -eq 124 ]; then
        echo "xwd took more than 20 s to read the window" >&2
    fi
    [ "$status" -eq 0 ] && timeout 20 convert "xwd:$2.xwd" "$2" 2>/dev/null
}
# The welcome page is in the window once its heading colour, #17526b, is.
heading_shown() {
    picture "$1" "$2/probe.png" || return 1
    local share
    share=$(timeout 20 convert "$2/probe.png" -fuzz 6% -fill black +opaque '#17526b' -fill white \
        -opaque '#17526b' -colorspace gray -format '%[fx:mean]' info: 2>/dev/null) || return 1
    awk -v s="$share" 'BEGIN { exit !(s > 0.001) }'
}
# The build comes first; the window follows within a few minutes.
window=
for _ in $(seq 1 1800); do
    if ! kill -0 "$run" 2>/dev/null; then
        echo "scripts/run ended before a window appeared" >"$2/result"
        exit 1
    fi
    window=$(timeout 10 xdotool search --onlyvisible --name '^Halvan Torvi$' 2>/dev/null | tail -n 1)
    if [ -n "$window" ] && heading_shown "$window" "$2"; then
        break
    fi
    sleep 1
done
status=0
if [ -z "$window" ]; then
    echo "no visible window titled 'Halvan Torvi'" >"$2/result"
    status=1
else
    sleep 1
    if picture "$window" "$2/window.png"; then
        echo ok >"$2/result"
    else
        echo "no picture could be taken of the window" >"$2/result"
        status=1
    fi
fi
kill -- -"$run" 2>/dev/null
wait "$run" 2>/dev/null
exit $status
SESSION
chmod +x "$work/session.sh"
xvfb-run -a -s "-screen 0 800x700x24" "$work/session.sh" "$work/torvi" "$work" || true

result=$(cat "$work/result" 2>/dev/null || echo "the virtual display did not start")
if [ "$result" != ok ]; then
    echo "FAIL: $result; the end of scripts/run's output:" >&2
    tail -n 25 "$work/run.log" >&2 || true
    exit 1
fi
# The welcome page's heading is drawn in #17526b: a blank or missing page has
# none of it.
share=$(timeout 20 convert "$work/window.png" -fuzz 6% -fill black +opaque '#17526b' -fill white -opaque '#17526b' \
    -colorspace gray -format '%[fx:mean]' info:)
if awk -v s="$share" 'BEGIN { exit !(s > 0.001) }'; then
    grep -E '^\[100%\] Built target|Linking CXX executable.*torvi$' "$work/run.log" || true
    echo "the window shows the welcome page (heading colour in $share of the picture), $SECONDS s after the clone"
else
    echo "FAIL: the window's picture does not show the welcome page (heading colour share $share)" >&2
    exit 1
fi
