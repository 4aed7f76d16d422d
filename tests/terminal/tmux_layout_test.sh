#!/usr/bin/env bash
# How "torvi-cli run" lays out a session on a real terminal inside tmux: the
# progress above each question, colour and NO_COLOR, the rule as wide as the
# window when the window is resized, the questions answered wrong after the
# score.
# Usage: tmux_layout_test.sh TORVI_CLI QUIZ_FOLDER
set -euo pipefail

source "$(dirname "$0")/tmux_session.sh" "$@"
unset NO_COLOR

# start NAME COLUMNS ENVIRONMENT ARGUMENTS...
start() {
    session=$1
    local columns=$2 environment=$3
    shift 3
    # The shell keeps the pane open after the program ends, to read its status.
    tm -f /dev/null new-session -d -s "$session" -x "$columns" -y 60 \
        "cd '$data' && $environment '$cli' run $*; echo \"exit status \$?\"; sleep 120"
}

# The screen with its colours and weights as SGR escape sequences.
styled_screen() { tm capture-pane -e -p -t "$session" -S -500; }

# The width of the rule whose label begins with the given text.
rule_width() {
    screen | grep -F -- "--- $1" | tail -n 1 | tr -d '\n' | wc -m
}

# Colour on; the rule follows the window from 72 columns down to 50.
start coloured 72 "" --no-sound capitals.txt
wait_for "Question 1 of 3 · 0 right"
[ "$(rule_width "Question 1 of 3")" -eq 72 ] || fail "the first rule is not 72 columns wide"
styled_screen | grep -qF $'\e[1mWhat is the capital of France?' ||
    fail "the question is not bold"
type_line "Lyon"
wait_for "You are wrong, the correct answer is:"
styled_screen | grep -qF $'\e[31mYou are wrong' || fail "the wrong answer's verdict is not red"
type_line "oops"
wait_for "(not judged: no answer box is open)"
tm resize-window -t "$session" -x 50 -y 60
sleep 0.3
wait_for "Question 2 of 3 · 0 right"
[ "$(rule_width "Question 2 of 3")" -eq 50 ] || fail "the rule did not follow the window"
type_line "red"
type_line "green"
type_line "blue"
wait_for "Question 3 of 3 · 1 right"
styled_screen | grep -qF $'\e[32mYou are Correct!!!' || fail "the right answer's verdict is not green"
type_line ":quit"
wait_for "You got 1/3 right."
wait_for "Answered wrong:"
wait_for "- What is the capital of France?"
keys Enter
wait_for "exit status 0"

# NO_COLOR: the same layout without a single escape sequence.
start plain 72 "NO_COLOR=1" --no-sound capitals.txt
wait_for "Question 1 of 3 · 0 right"
type_line "Lyon"
wait_for "You are wrong, the correct answer is:"
type_line ":quit"
wait_for "Answered wrong:"
if styled_screen | grep -qF $'\e['; then
    echo "FAIL: escape sequences with NO_COLOR set:"
    styled_screen | cat -v
    exit 1
fi
keys Enter
wait_for "exit status 0"

echo "PASS"
