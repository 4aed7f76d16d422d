#!/usr/bin/env bash
# Plays quizzes with "torvi-cli run" on a real terminal inside tmux: keys are
# sent as a learner types them and the screen is read back.
# Usage: tmux_run_test.sh TORVI_CLI QUIZ_FOLDER
set -euo pipefail

source "$(dirname "$0")/tmux_session.sh" "$@"

start() {
    session=$1
    shift
    # The shell keeps the pane open after the program ends, to read its status.
    tm -f /dev/null new-session -d -s "$session" -x 120 -y 60 \
        "cd '$data' && '$cli' run $*; echo \"exit status \$?\"; sleep 120"
}

# A Windows-1252 quiz on a UTF-8 terminal, an answer typed with an accent,
# the explanation, and Ctrl+D ending the quiz as Quit does.
start latin --no-sound cp1252.txt
wait_for "¿Cómo se dice «thank you» en español?"
wait_for "Answer 1 of 1:"
type_line "gracias"
wait_for "You are Correct!!!"
wait_for "¡Muy bien! – “gracias”"
wait_for "¿Qué es el perro?"
wait_for "€ 5 é"
type_line "el gató"
wait_for "Answer 1 of 1: el gató"
wait_for "You are wrong, the correct answer is:      {Press Enter to continue}"
type_line ":explain"
wait_for "Perro: le chien, der Hund, …"
keys C-d
wait_for "You got 1/2 right."
wait_for "exit status 0"

# Line editing: a backspace rubs out, Left moves the caret back over a letter;
# a refused command; :quit; then Enter leaves.
start plain --no-sound capitals.txt
wait_for "What is the capital of France?"
keys -l -- "Parix"
keys BSpace
type_line "s"
wait_for "You are Correct!!!"
wait_for "Answer 1 of 3:"
keys -l -- "rd"
keys Left
type_line "e"
wait_for "Answer 2 of 3:"
type_line ":repeat"
wait_for "Repeat Question is not available now (only after a wrong answer)."
type_line "green"
type_line "blue"
wait_for "Give the first three letters of the alphabet, in order."
if [ "$(count "You are Correct!!!")" -ne 2 ]; then
    echo "FAIL: both answers should have been right:"
    screen
    exit 1
fi
type_line ":quit"
wait_for "You got 2/3 right."
wait_for "Press Enter to leave, or type :restart to play again:"
keys Enter
wait_for "exit status 0"

echo "PASS"
