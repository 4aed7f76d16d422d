# What the tmux scripts share: sourced with the script's own arguments
# (TORVI_CLI QUIZ_FOLDER). It skips with 77 when tmux is missing, gives each
# script a private tmux server that is killed on the way out, and the helpers
# to read the screen of $session and send it keys.

cli=$(realpath "$1")
data=$(realpath "$2")

if ! command -v tmux >/dev/null 2>&1; then
    echo "SKIP: tmux is not installed (scripts/install-deps installs it)"
    exit 77
fi

work=$(mktemp -d)
socket="$work/tmux.sock"
cleanup() {
    tmux -S "$socket" kill-server >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

export LANG=C.UTF-8 LC_ALL=C.UTF-8 SDL_AUDIODRIVER=dummy

session=""
tm() { tmux -u -S "$socket" "$@"; }

# The screen and what scrolled off it, without the empty lines at its end.
screen() { tm capture-pane -p -t "$session" -S -500 | sed -e :a -e '/^\n*$/{$d;N;ba' -e '}'; }

fail() {
    echo "FAIL: $1 ($session):"
    screen
    exit 1
}

# Waits up to 15 s for the text to show on the screen.
wait_for() {
    local text=$1
    for _ in $(seq 1 150); do
        if screen | grep -qF -- "$text"; then
            return 0
        fi
        sleep 0.1
    done
    fail "\"$text\" did not appear on the screen"
}

count() { screen | grep -cF -- "$1" || true; }

# Waits up to 15 s for the line the caret is on to read exactly the text (an
# empty text waits for nothing to be typed after the prompt). A prompt or a
# typed line that showed earlier on the screen does not count: keys sent
# after this reach the line being edited now, and a key that raises a signal
# (Ctrl+C, Ctrl+Z), which makes the terminal throw away what the program has
# not yet read, only comes after the program has taken in what was typed.
caret_line() {
    local y
    y=$(tm display-message -p -t "$session" '#{cursor_y}')
    tm capture-pane -p -t "$session" -S "$y" -E "$y" | sed -e 's/[[:space:]]*$//'
}
wait_for_line() {
    local text=$1
    for _ in $(seq 1 150); do
        if [ "$(caret_line)" = "$text" ]; then
            return 0
        fi
        sleep 0.1
    done
    fail "the line being typed did not become \"$text\" (it is \"$(caret_line)\")"
}

keys() { tm send-keys -t "$session" "$@"; }
type_line() {
    keys -l -- "$1"
    keys Enter
}
