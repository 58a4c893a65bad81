#!/usr/bin/env bash
# play-demo.sh [QUIZ.toml]: builds the player and the authoring tool, turns
# the demo quiz into an executable and opens it under Wine: on your display
# with `trivo play` when there is one, otherwise in a virtual display, with a
# screenshot saved and its path printed. Works on a fresh clone and again
# on later runs. TRIVO_BUILD_DIR chooses the build folder (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${TRIVO_JOBS:-$(nproc)}
quiz=${1:-examples/demo/quiz.toml}
build=${TRIVO_BUILD_DIR:-build}
case $build in /*) ;; *) build="$root/$build" ;; esac
mkdir -p "$build"

scripts/install-deps.sh demo

step=play-demo
source scripts/configure-and-build.sh

configure_and_build windows trivo-player -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
configure_and_build native trivo -DTRIVO_PLAYER_TEMPLATE="$build/windows/app/trivo-player.exe"

trivo="$build/native/tool/trivo"
mkdir -p "$build/demo"
name=$(basename "$(dirname "$quiz")")
exe="$build/demo/$name.exe"
"$trivo" build "$quiz" -o "$exe"

# The player keeps its answers file in the folder it is started from.
cd "$build/demo"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${TRIVO_DEMO_VIRTUAL:-}" ]; then
  exec "$trivo" play "$exe"
fi

# No display: a virtual one, with the build tree's own Wine prefix (whose
# windows are unmanaged, as Xvfb has no window manager). The prefix is made
# before the quiz starts, so the screenshot shows the quiz and not Wine's
# "configuration is being updated" window, and the screenshot waits for the
# quiz's window to be shown.
shot="$build/demo/screenshot.png"
rm -f "$shot"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -u
  root=$1 prefix=$2 exe=$3 shot=$4
  "$root/cmake/wine-prefix.sh" "$prefix"
  "$root/cmake/wine-run.sh" "$prefix" "$exe" &
  player=$!
  window=$(timeout 90 xdotool search --sync --onlyvisible --classname "^$(basename "$exe")\$" 2>/dev/null | head -1)
  status=0
  if [ -n "$window" ]; then
    # The window is shown once its controls are made; let it paint them.
    sleep 1
    import -window root "$shot"
  else
    echo "play-demo: the quiz window did not appear within 90 s" >&2
    status=1
  fi
  kill "$player" 2>/dev/null
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
  wait "$player" 2>/dev/null
  exit $status' _ "$root" "$build/windows/wineprefix" "$exe" "$shot"
echo "No display: the demo ran in a virtual display. Screenshot: $shot"
