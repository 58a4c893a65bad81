#!/usr/bin/env bash
# `trivo play` as a Linux player uses it: a Wine folder of its own made once
# in the cache folder (XDG_CACHE_HOME here, a fresh one), the quiz's window
# shown with its content, and a second run that reuses the folder.
source "$(dirname "$0")/common.bash"

cache="$work/cache"
play_prefix="$cache/trivo/wine"
stop_play() {
  WINEPREFIX="$play_prefix" wineserver -k 2>/dev/null || true
  wait "$player_pid" 2>/dev/null || true
}
trap 'stop_play; cleanup' EXIT

build_quiz "$root/examples/demo/quiz.toml" demo 2>/dev/null
for run in first second; do
  (cd "$work" && XDG_CACHE_HOME="$cache" exec "$trivo" play "$work/demo.exe") >"$work/play-$run.log" 2>&1 &
  player_pid=$!
  window=$(timeout 180 xdotool search --sync --onlyvisible --classname '^demo.exe$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] || { cat "$work/play-$run.log" >&2; die "$run run: no quiz window"; }
  [ -f "$play_prefix/.trivo-ready" ] || die "$run run: the Wine folder is not marked ready"
  sleep 1
  played=$(shot "trivo-play-$run")
  expect_colour "$played" '#24434F' 10000 "$run run: the demo's background"
  stop_play
done
grep -q "Setting up Wine" "$work/play-first.log" || die "the first run did not set up Wine"
if grep -q "Setting up Wine" "$work/play-second.log"; then die "the second run set up Wine again"; fi
echo "trivo play: ok"
