#!/usr/bin/env bash
# A picture quiz played as a user would: a right answer, a near miss and two
# wrong ones typed into the fields, the status colours checked on screen, F2
# and closing checked against the answers file byte for byte, and a restart
# that must bring the verdicts and the score back.
source "$(dirname "$0")/common.bash"

title="Drapeaux du monde"
build_quiz "$root/examples/picture/quiz.toml" flags 2>/dev/null
start_quiz flags "$title"

before=$(shot picture-start)
expect_no_colour "$before" "$right_green" "nothing answered yet"

answer "france"        # question 1, right whatever the case
next_field
answer "Itali"         # question 2, one letter short
first=$(shot picture-answered)
expect_colour "$first" "$right_green" 2000 "BRAVO on question 1"
expect_colour "$first" "$hint_gold" 500 "Quasiment on question 2"

next_field
answer "Lyon"          # question 3, wrong (out of view to the right)
next_field             # question 4 is below the view: Tab scrolls to it
answer "Chine"
# Its status field sits just below the view: two wheel notches show it.
xdotool mousemove --window "$window" 200 200 click 5 click 5
sleep 0.5
second=$(shot picture-wrong)
expect_colour "$second" "$wrong_red" 2000 "FAUX on question 4"

xdotool key F2
sleep 1
expect_file "$work/flags.txt" 'france\r\nItali\r\nLyon\r\nChine\r\n\r\n\r\n'
close_quiz
expect_file "$work/flags.txt" 'france\r\nItali\r\nLyon\r\nChine\r\n\r\n\r\n'

start_quiz flags "$title"
again=$(shot picture-restarted)
expect_colour "$again" "$right_green" 2000 "BRAVO restored on question 1"
expect_colour "$again" "$hint_gold" 500 "Quasiment restored on question 2"
# The header (score and code) looks exactly as it did before the restart.
geometry=$(xdotool getwindowgeometry --shell "$window")
eval "$geometry"
crop="300x60+$((X + 5))+$((Y + 20))"
convert "$first" -crop "$crop" +repage "$work/header-before.png"
convert "$again" -crop "$crop" +repage "$work/header-after.png"
difference=$(compare -metric AE "$work/header-before.png" "$work/header-after.png" null: 2>&1 || true)
[ "$difference" = "0" ] || die "the header differs after the restart ($difference pixels)"

# Question 2 answered right: its PNG answer picture (the flag with a green
# tick) takes the place of the question picture.
maximise
ticks_before=$(near_colour_count "$(shot picture-before-italie)" '#1E9E3A')
next_field
answer "Italie"
ticks_after=$(near_colour_count "$(shot picture-italie)" '#1E9E3A')
[ "$ticks_after" -ge $((ticks_before + 500)) ] ||
  die "no answer picture for question 2 ($ticks_before then $ticks_after tick pixels)"
close_quiz
expect_file "$work/flags.txt" 'france\r\nItalie\r\nLyon\r\nChine\r\n\r\n\r\n'
echo "picture quiz: ok"
