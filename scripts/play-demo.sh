#!/usr/bin/env bash
# Builds the player and the authoring tool, turns the demo quiz into an
# executable and opens it under Wine: on your display when there is one,
# otherwise in a virtual display, with a screenshot saved and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${TRIVO_JOBS:-$(nproc)}
quiz=${1:-examples/demo/quiz.toml}

scripts/install-deps.sh
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DTRIVO_BUILD_TESTS=OFF >/dev/null
ninja -C build/windows -j "$jobs" trivo-player >/dev/null
cmake -S . -B build/native -G Ninja -DTRIVO_PLAYER_TEMPLATE="$root/build/windows/app/trivo-player.exe" >/dev/null
ninja -C build/native -j "$jobs" trivo >/dev/null

mkdir -p build/demo
exe="$root/build/demo/$(basename "$(dirname "$quiz")").exe"
build/native/tool/trivo build "$quiz" -o "$exe"
prefix="$root/build/windows/wineprefix"

cd build/demo
if [ -n "${DISPLAY:-}" ]; then
  "$root/cmake/wine-run.sh" "$prefix" "$exe"
else
  shot="$root/build/demo/screenshot.png"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" "$2" "$3" &
    sleep 8
    import -window root "$4"
    wineserver -k 2>/dev/null || true' _ "$root/cmake/wine-run.sh" "$prefix" "$exe" "$shot"
  echo "No display: the demo ran in a virtual display. Screenshot: $shot"
fi
