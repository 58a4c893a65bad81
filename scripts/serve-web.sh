#!/usr/bin/env bash
# scripts/serve-web.sh [PORT]: builds what the web pages need (the Windows
# player, which the authoring page puts into the quizzes it builds, and the
# WebAssembly core that carries it) and serves web/site on 127.0.0.1:PORT
# (default 8000) until stopped with Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
port=${1:-8000}
jobs=${TRIVO_JOBS:-$(nproc)}
build=$root/build
mkdir -p "$build"
scripts/install-deps.sh

step=serve-web
source scripts/configure-and-build.sh

configure_and_build windows trivo-player -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# em++ needs acorn from Debian's node modules.
export NODE_PATH=/usr/share/nodejs
wasm_options=(-DCMAKE_TOOLCHAIN_FILE=/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake
  -DCMAKE_BUILD_TYPE=Release -DTRIVO_PLAYER_TEMPLATE="$build/windows/app/trivo-player.exe")
# The authoring core, then the play core with the one-file page template
# that "Download quiz.html" fetches.
configure_and_build wasm trivo_web "${wasm_options[@]}"
configure_and_build wasm trivo_quiz_page_template "${wasm_options[@]}"

echo "Authoring page: http://127.0.0.1:$port/author.html"
echo "Web player:     http://127.0.0.1:$port/play.html"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory web/site
