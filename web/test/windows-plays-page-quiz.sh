#!/usr/bin/env bash
# The quiz the authoring page downloaded, under Wine: it opens with its
# title as caption, and its first expected answer typed into the first field
# turns that field's status green. The browser tests leave the executable,
# its title and that answer in build/web-author; scripts/test-web.sh runs
# this after them, in Xvfb:
#   windows-plays-page-quiz.sh REPO_ROOT
source "$(dirname "$0")/../../tests/e2e/common.bash"

page="$root/build/web-author"
for file in quiz.exe quiz.title quiz.answer; do
  [ -f "$page/$file" ] || die "no $file from the authoring page in $page (the browser tests write it)"
done
title=$(cat "$page/quiz.title")
expected=$(cat "$page/quiz.answer")
cp "$page/quiz.exe" "$work/page-quiz.exe"

start_quiz page-quiz "$title"
opened=$(shot page-quiz-opened)
expect_no_colour "$opened" "$right_green" "nothing answered yet"
maximise
answer "$expected"
answered=$(shot page-quiz-answered)
expect_colour "$answered" "$right_green" 1000 "BRAVO on question 1"
close_quiz
echo "the page's quiz under Wine: opens as \"$title\", first answer right"
