#!/usr/bin/env bash
# Regenerates tool/player_font_widths.cpp, the tool's table of the player's
# font widths, by running tool/font_widths_gen_win.cpp under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
ninja -C build/windows -j "${TRIVO_JOBS:-2}" trivo_font_widths_gen
xvfb-run -a "$root/cmake/wine-run.sh" "$root/build/windows/wineprefix" \
  build/windows/tool/trivo_font_widths_gen.exe "Z:$root/tool/player_font_widths.cpp"
clang-format -i tool/player_font_widths.cpp
echo "wrote tool/player_font_widths.cpp"
