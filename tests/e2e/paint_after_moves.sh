#!/usr/bin/env bash
# What the player moves, it paints: the footer after a corner drag and after
# maximising keeps its grey, and with "Cacher" on and off every answered
# question of a 7-question picture quiz (two rows collapse, the seventh
# question folds) shows its green status field and its answer's text.
source "$(dirname "$0")/common.bash"

readonly footer_grey='#D4D0C8'  # 0xC8D0D4
sizes=(200x100 220x80 180x120 200x90 240x140 160x60 200x100)
colours=('#C04040' '#4040C0' '#C0A040' '#8040A0' '#40A0A0' '#A06040' '#606060')
words=(un deux trois quatre cinq six sept)
{
  printf 'title = "Plier sept"\nkind = "picture"\nbackground = "#3C4C8C"\nfooter = "Pied de page"\n'
  for i in 0 1 2 3 4 5 6; do
    convert -size "${sizes[$i]}" xc:"${colours[$i]}" "$work/q$i.png"
    printf '\n[[question]]\ntext = "Q%d"\nanswer = "%s"\npicture = "q%d.png"\n' "$i" "${words[$i]}" "$i"
  done
} >"$work/fold.toml"
build_quiz "$work/fold.toml" fold 2>/dev/null
printf 'un\r\ndeux\r\ntrois\r\nquatre\r\ncinq\r\nsix\r\nsept\r\n' >"$work/fold.txt"
start_quiz fold "Plier sept"

# The footer's place, taken from the first screenshot, relative to the
# window's bottom right corner.
first=$(shot paint-start)
footer=$(blobs "$first" "$footer_grey" 500 | head -1)
[ -n "$footer" ] || die "no footer at start"
IFS='x+' read -r fw fh fx fy <<<"$footer"
eval "$(xdotool getwindowgeometry --shell "$window")"
right_gap=$((X + WIDTH - fx)) bottom_gap=$((Y + HEIGHT - fy))
convert "$first" -crop "${fw}x${fh}+${fx}+${fy}" +repage "$work/f.png"
grey_at_start=$(colour_count "$work/f.png" "$footer_grey")

expect_footer() {  # expect_footer PNG WHAT
  eval "$(xdotool getwindowgeometry --shell "$window")"
  convert "$1" -crop "${fw}x${fh}+$((X + WIDTH - right_gap))+$((Y + HEIGHT - bottom_gap))" +repage "$work/f.png"
  local grey
  grey=$(colour_count "$work/f.png" "$footer_grey")
  [ "$grey" -ge $((grey_at_start - 20)) ] || die "$2: $grey footer pixels are grey, $grey_at_start at start"
}

# A drag of the bottom right corner, as a user would resize.
eval "$(xdotool getwindowgeometry --shell "$window")"
corner_x=$((X + WIDTH - 2)) corner_y=$((Y + HEIGHT - 2))
xdotool mousemove "$corner_x" "$corner_y"
sleep 0.3
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8 9 10; do
  xdotool mousemove $((corner_x + 15 * step)) $((corner_y + 10 * step))
  sleep 0.05
done
xdotool mouseup 1
sleep 1
expect_footer "$(shot paint-dragged)" "after a corner drag"
maximise
expect_footer "$(shot paint-maximised)" "after maximising"

# expect_fields PNG WHAT: seven green status fields, each under an answer
# field that shows black text on white.
expect_fields() {
  local fields count=0 w h x y
  fields=$(blobs "$1" "$right_green")
  for field in $fields; do
    IFS='x+' read -r w h x y <<<"$field"
    convert "$1" -crop "${w}x18+${x}+$((y - 19))" +repage "$work/a.png"
    [ "$(colour_count "$work/a.png" '#FFFFFF')" -ge 2000 ] || die "$2: no answer field above $field"
    [ "$(colour_count "$work/a.png" '#000000')" -ge 10 ] || die "$2: no answer text above $field"
    count=$((count + 1))
  done
  [ "$count" -eq 7 ] || die "$2: $count green status fields, expected 7"
  echo "$fields"
}

shown=$(expect_fields "$(shot paint-fold-before)" "before Cacher")
eval "$(xdotool getwindowgeometry --shell "$window")"
# The "Cacher" box: 234 pixels left of the header strip's right end (the
# window's frame is 4 pixels wide, its caption 18 high).
box_x=$((X + 4 + 5 + 1 + (WIDTH - 8 - 13) - 234 + 8)) box_y=$((Y + 34))
xdotool mousemove "$box_x" "$box_y" click 1
sleep 1
folded=$(expect_fields "$(shot paint-fold-on)" "after Cacher on")
# Folded, the rows stand 70 pixels apart (answer, status and the 60-pixel
# gap) in the columns they had, above where they were.
read -r -a before <<<"$(echo $shown)"
read -r -a after <<<"$(echo $folded)"
IFS='x+' read -r _ _ x1 y1 <<<"${after[0]}"
IFS='x+' read -r _ _ _ y_old <<<"${before[0]}"
[ "$y1" -lt "$y_old" ] || die "after Cacher on: question 1 did not move up"
for i in 0 1 2 3 4 5 6; do
  IFS='x+' read -r _ _ bx _ <<<"${before[$i]}"
  IFS='x+' read -r _ _ ax ay <<<"${after[$i]}"
  [ "$ax" -eq "$bx" ] && [ "$ay" -eq $((y1 + 70 * (i / 3))) ] ||
    die "after Cacher on: status field $((i + 1)) at ${after[$i]}"
done
xdotool mousemove "$box_x" "$box_y" click 1
sleep 1
restored=$(expect_fields "$(shot paint-fold-off)" "after Cacher off")
[ "$(echo $restored)" = "$(echo $shown)" ] || die "after Cacher off: fields at $(echo $restored), not $(echo $shown)"
close_quiz
echo "paint after moves: ok"
