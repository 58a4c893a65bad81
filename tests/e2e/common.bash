# Helpers for the end-to-end runs: a quiz executable under Wine in the
# current X display (the caller starts Xvfb), driven with xdotool and looked
# at through screenshots. Sourced by the scripts of this folder.
set -euo pipefail

root=${1:?usage: $0 REPO_ROOT}
trivo="$root/build/native/tool/trivo"
prefix="$root/build/windows/wineprefix"
work=$(mktemp -d "$root/build/e2e.XXXXXX")
shots="$root/build/e2e-shots"
mkdir -p "$shots"
player_pid=
window=

die() {
  echo "e2e: $*" >&2
  exit 1
}

# build_quiz SOURCE.toml NAME: builds NAME.exe in the work folder.
build_quiz() {
  "$trivo" build "$1" -o "$work/$2.exe" >/dev/null
}

# start_quiz NAME TITLE: runs NAME.exe from the work folder (so its answers
# file lands there) and waits for its main window.
start_quiz() {
  (cd "$work" && exec "$root/cmake/wine-run.sh" "$prefix" "$work/$1.exe") &
  player_pid=$!
  window=
  for _ in $(seq 1 120); do
    window=$(xdotool search --name "^$2\$" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.5
  done
  [ -n "$window" ] || die "no window named '$2'"
  sleep 2
  xdotool windowfocus --sync "$window" 2>/dev/null || true
}

# close_quiz: Alt+F4 on the main window, then waits for the program to end.
close_quiz() {
  # A click on the caption makes the main window the active one again (a
  # playing video's window may have taken that), then Alt+F4 closes it.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 200)) $((Y + 8)) click 1
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  xdotool key --clearmodifiers alt+F4
  for _ in $(seq 1 60); do
    kill -0 "$player_pid" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$player_pid" 2>/dev/null; then
    die "the player did not end after Alt+F4"
  fi
  wait "$player_pid" 2>/dev/null || true
}

# maximise: a double click on the caption, as a user would.
maximise() {
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 250)) $((Y + 10)) click --repeat 2 --delay 80 1
  sleep 2
}

# answer TEXT: types TEXT into the focused answer field and releases Enter.
answer() {
  xdotool type --delay 40 -- "$1"
  xdotool key Return
  sleep 0.5
}

next_field() {
  xdotool key Tab
  sleep 0.5
}

shot() {
  sleep 0.5
  import -window root "$shots/$1.png"
  echo "$shots/$1.png"
}

# colour_count PNG COLOUR: how many pixels of the screenshot are exactly COLOUR.
colour_count() {
  convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# near_colour_count PNG COLOUR: pixels within a few percent of COLOUR (for
# pictures that went through halftone scaling).
near_colour_count() {
  convert "$1" -alpha off -fuzz 6% -fill black +opaque "$2" -fill white -opaque "$2" \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# blobs PNG COLOUR [AREA]: "WxH+X+Y" of each area of COLOUR of AREA (2000)
# pixels or more.
blobs() {
  convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" \
    -define connected-components:verbose=true -define connected-components:area-threshold="${3:-2000}" \
    -connected-components 8 null: | awk '/srgb\(255,255,255\)|gray\(255\)/ {print $2}' | sort -t+ -k3n -k2n
}

expect_colour() {
  local count
  count=$(colour_count "$1" "$2")
  [ "$count" -ge "$3" ] || die "$4: $count pixels of $2 in $1, expected at least $3"
}

expect_no_colour() {
  local count
  count=$(colour_count "$1" "$2")
  [ "$count" -eq 0 ] || die "$3: $count pixels of $2 in $1, expected none"
}

# expect_file FILE PRINTF-FORMAT: the file holds exactly those bytes.
expect_file() {
  [ -f "$1" ] || die "no file $1"
  if ! cmp -s "$1" <(printf "$2"); then
    od -c "$1" | head -20 >&2
    die "$1 does not hold the expected bytes"
  fi
}

cleanup() {
  [ -n "$player_pid" ] && kill "$player_pid" 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

readonly right_green='#00FF00' wrong_red='#FF0000' hint_gold='#FFCB26' anagram_orange='#FF6400'
