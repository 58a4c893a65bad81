#!/usr/bin/env bash
# A text quiz played as a user would: the window maximised (double click on
# its caption) so the status fields show, a right answer, a wrong one and a
# near miss, the colours checked on screen, F2 and closing checked against the
# answers file, and a restart that brings the verdicts back.
source "$(dirname "$0")/common.bash"

title="Grands romans français"
build_quiz "$root/examples/text/quiz.toml" novels 2>/dev/null
start_quiz novels "$title"

maximise

answer "  victor HUGO "     # question 1: case and surrounding spaces do not count
next_field
answer "Camus"              # question 2: wrong
next_field
answer "Gustave Flober"     # question 3: three edits away, more than 80 % alike
played=$(shot text-answered)
expect_colour "$played" "$right_green" 1000 "BRAVO on question 1"
expect_colour "$played" "$wrong_red" 1000 "FAUX on question 2"
expect_colour "$played" "$hint_gold" 1000 "y a de l'idée on question 3"

# The answers file holds one line per answer field, as typed.
expected='  victor HUGO \r\nCamus\r\nGustave Flober\r\n\r\n\r\n\r\n'
xdotool key F2
sleep 1
expect_file "$work/novels.txt" "$expected"
close_quiz
expect_file "$work/novels.txt" "$expected"

start_quiz novels "$title"
maximise
again=$(shot text-restarted)
expect_colour "$again" "$right_green" 1000 "BRAVO restored on question 1"
expect_colour "$again" "$wrong_red" 1000 "FAUX restored on question 2"
expect_colour "$again" "$hint_gold" 1000 "hint restored on question 3"
close_quiz
expect_file "$work/novels.txt" "$expected"
echo "text quiz: ok"
