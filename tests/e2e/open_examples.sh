#!/usr/bin/env bash
# Every example quiz builds, opens with its title as caption, and the right
# answer typed into its first field turns that field's status green.
source "$(dirname "$0")/common.bash"

first_value() {  # first_value KEY FILE: the first `KEY = "..."` string of the file
  sed -n "s/^$1 *= *\"\\(.*\\)\"\$/\\1/p" "$2" | head -1
}

for source in "$root"/examples/*/quiz.toml; do
  name=$(basename "$(dirname "$source")")
  title=$(first_value title "$source")
  expected=$(first_value answer "$source")
  build_quiz "$source" "$name" 2>/dev/null || die "$name: trivo build failed"
  start_quiz "$name" "$title"
  opened=$(shot "example-$name-opened")
  expect_no_colour "$opened" "$right_green" "$name: nothing answered yet"
  maximise
  answer "$expected"
  answered=$(shot "example-$name-answered")
  expect_colour "$answered" "$right_green" 1000 "$name: BRAVO on question 1"
  if [ "$name" = video ]; then
    # Tab reaches question 1's play button; Space plays the clip, whose
    # frames must replace the idle player's picture in the host window.
    next_field
    xdotool key space
    sleep 3
    playing=$(shot "example-$name-playing")
    changed=$(compare -metric AE "$answered" "$playing" null: 2>&1 || true)
    [ "${changed%%.*}" -ge 10000 ] || die "video: no frame shown ($changed pixels changed)"
    [ -n "$(ls "$work"/trivo401.* 2>/dev/null)" ] || die "video: no clip file while playing"
  fi
  close_quiz
  [ -z "$(ls "$work"/trivo* 2>/dev/null)" ] || die "$name: a clip file was left behind"
  echo "$name: opens as \"$title\", first answer right"
done
