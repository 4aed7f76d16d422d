#!/usr/bin/env bash
# Line editing in "torvi-cli run" on a real terminal inside tmux: the caret
# keys, the accent key, the history of answers and Ctrl+C.
# Usage: tmux_editing_test.sh TORVI_CLI QUIZ_FOLDER
set -euo pipefail

source "$(dirname "$0")/tmux_session.sh" "$@"

session=edit

# The shell notes the terminal's settings before and after the program, and
# keeps the pane open to read its status.
tm -f /dev/null new-session -d -s "$session" -x 100 -y 40 \
    "cd '$data' && stty -g >'$work/before' && '$cli' run --no-sound accents.txt;
     echo \"exit status \$?\"; stty -g >'$work/after'; sleep 120"

# On a terminal :help names the editing keys too.
wait_for_line "Answer 1 of 1:"
keys -l -- ":help"
keys Enter
wait_for "Ctrl+A turns a, e, i, o, u or n before the caret into á, é, í, ó, ú or ñ."

# "cafe" and the accent key: judged right for café.
wait_for_line "Answer 1 of 1:"
keys -l -- "cafe"
keys C-a
wait_for_line "Answer 1 of 1: café"
keys Enter
wait_for "Say hello in Spanish."
wait_for_line "Answer 1 of 1:"
[ "$(count "You are Correct!!!")" -eq 1 ] || fail "café should have been right"

# Home goes to the start of the line.
keys -l -- "ola"
keys Home
keys -l -- "h"
wait_for_line "Answer 1 of 1: hola"
keys Enter
wait_for "Say hello once more."
wait_for_line "Answer 1 of 1:"
[ "$(count "You are Correct!!!")" -eq 2 ] || fail "hola should have been right"

# Up brings back the answer before.
keys Up
wait_for_line "Answer 1 of 1: hola"
keys Enter
wait_for "¿Cómo se dice «the boy»?"
wait_for_line "Answer 1 of 1:"
[ "$(count "You are Correct!!!")" -eq 3 ] || fail "the answer brought back should have been right"

# A wrong answer. At "Press Enter to continue" there is no answer box: the
# accent key does nothing there (the caret stays at the end), and the line
# typed there is not kept, so Up at the next question brings back the wrong
# answer.
keys -l -- "el nino"
keys Enter
wait_for_line "Press Enter to continue:"
keys -l -- "xyz"
keys C-a
keys -l -- "!"
wait_for_line "Press Enter to continue: xyz!"
keys Enter
wait_for "Name the two colours of the Spanish flag."
wait_for_line "Answer 1 of 2:"
keys Up
wait_for_line "Answer 1 of 2: el nino"
keys C-u
wait_for_line "Answer 1 of 2:"

# Ctrl+C while a line is being typed ends the session with the score.
keys -l -- "roj"
wait_for_line "Answer 1 of 2: roj"
keys C-c
wait_for "You got 3/5 right."
wait_for "exit status 130"
cmp -s "$work/before" "$work/after" || fail "the terminal's settings were not put back"
# Stopped with Ctrl+Z and brought back with fg from a shell, which puts the
# terminal into its line mode meanwhile: the keys still edit the line.
session=stop
tm new-session -d -s "$session" -x 100 -y 40 "env PS1='shell$ ' bash --norc -i"
keys -l -- "cd '$data' && '$cli' run --no-sound accents.txt"
keys Enter
wait_for_line "Answer 1 of 1:"
keys -l -- "caf"
wait_for_line "Answer 1 of 1: caf"
keys C-z
wait_for "Stopped"
wait_for_line 'shell$'
keys -l -- "fg"
keys Enter
# Back in the foreground, the program shows the line again as it was.
wait_for_line "Answer 1 of 1: caf"
keys -l -- "ex"
keys BSpace
keys C-a
wait_for_line "Answer 1 of 1: café"
keys C-c
wait_for "You got 0/5 right."

echo "PASS"
