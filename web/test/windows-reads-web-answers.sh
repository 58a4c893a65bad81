#!/usr/bin/env bash
# The answers files the web page and the one-file page (quiz.html) wrote for
# the picture example, each opened by the Windows player under Wine: as many green status fields as the page counted
# right, the same score label as a file known to hold that many right
# answers, and F2 and closing write the web's file back byte for byte.
# Run by scripts/test-web.sh after the browser tests, in Xvfb:
#   windows-reads-web-answers.sh REPO_ROOT
source "$(dirname "$0")/../../tests/e2e/common.bash"

title="Drapeaux du monde"
build_quiz "$root/examples/picture/quiz.toml" picture 2>/dev/null

# score_label PNG OUT: the score label, above the rule under it and left of
# the rule beside it, at the top left of the header strip (below the caption
# and the sunken edge Wine draws).
score_label() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  convert "$1" -crop "96x24+$((X + 6))+$((Y + 22))" +repage "$2"
}

check_answers() {
  local web=$1
  [ -f "$web/picture.txt" ] && [ -f "$web/picture.score" ] ||
    die "no answers file from the web page in $web (the browser tests write it)"
  local right total
  read -r right _ total <"$web/picture.score"
  [[ "$right" =~ ^[0-9]+$ && "$total" =~ ^[0-9]+$ ]] || die "$web/picture.score: not a score: $(cat "$web/picture.score")"

  # A reference: the first $right answers of the quiz right, the rest empty.
  grep -E '^answer = ' "$root/examples/picture/quiz.toml" | sed -E 's/^answer = "(.*)"$/\1/' |
    iconv -f UTF-8 -t WINDOWS-1252 | awk -v right="$right" -v total="$total" \
    '{ line[NR] = $0 } END { for (i = 1; i <= total; i++) printf "%s\r\n", (i <= right ? line[i] : "") }' \
    >"$work/picture.txt"
  start_quiz picture "$title"
  maximise
  score_label "$(shot web-answers-reference)" "$work/score-reference.png"
  close_quiz

  cp "$web/picture.txt" "$work/picture.txt"
  start_quiz picture "$title"
  maximise
  opened=$(shot web-answers-opened)
  score_label "$opened" "$shots/web-answers-score.png"
  fields=$(blobs "$opened" "$right_green" | wc -l)
  [ "$fields" -eq "$right" ] || die "$fields green status fields under Wine, the web page counted $right of $total"
  difference=$(compare -metric AE "$work/score-reference.png" "$shots/web-answers-score.png" null: 2>&1 || true)
  [ "$difference" = "0" ] || die "the score label differs from one of $right / $total ($difference pixels)"

  xdotool key F2
  sleep 1
  cmp -s "$work/picture.txt" "$web/picture.txt" || die "F2 under Wine wrote another file than the web page's"
  close_quiz
  cmp -s "$work/picture.txt" "$web/picture.txt" || die "closing under Wine wrote another file than the web page's"
  echo "web answers under Wine: $right / $total, ok"
}

check_answers "$root/build/web-answers"
check_answers "$root/build/web-answers/page"
