#!/usr/bin/env bash
# Builds the native tree with the benchmarks and runs every one of them,
# then the tool's build time and the start-up benchmark of quiz players
# under Wine (they need the Windows tree as well), and last, in Chromium, the
# authoring page over the 96-picture quiz and the web player opening hostile
# and large quizzes. TRIVO_BENCH_ROUNDS sets the rounds of the last four; by
# default the build time takes 7, the start-up and the authoring page 15 and
# the web player 5.
# Figures only: nothing here passes or fails on speed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${TRIVO_JOBS:-$(nproc)}
cmake -S . -B build/native -G Ninja -DTRIVO_BUILD_BENCH=ON >/dev/null
benches=(block_decoder_bench verdict_rules_bench inflate_bench png_decoder_bench picture_fit_bench)
ninja -C build/native -j "$jobs" "${benches[@]}" >/dev/null
for bench in "${benches[@]}"; do
  echo "== $bench"
  "build/native/bench/$bench" "$@"
done

echo "== building the player and the tool"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
ninja -C build/windows -j "$jobs" trivo-player empty_window startup_probe >/dev/null
scripts/test-web.sh --build-only >/dev/null
cmake -S . -B build/native -DTRIVO_PLAYER_TEMPLATE="$PWD/build/windows/app/trivo-player.exe" \
  -DTRIVO_HTML_TEMPLATE="$PWD/build/wasm/quiz-page-template.html" >/dev/null
ninja -C build/native -j "$jobs" trivo >/dev/null
echo "== the demo quiz as one web page"
build/native/tool/trivo build --html examples/demo/quiz.toml -o build/demo-quiz.html >/dev/null
echo "demo quiz.html: $(stat -c %s build/demo-quiz.html) bytes (goal: at most $((450 * 1024)))"
if [ -f web/site/core/trivo-play-core.wasm ]; then
  echo "play core: $(stat -c %s web/site/core/trivo-play-core.wasm) bytes of wasm (goal: at most $((300 * 1024)))"
fi
echo "== build time of the 96-picture quiz"
bench/build/build_speed.sh "${TRIVO_BENCH_ROUNDS:-7}"
echo "== start-up of quiz players under Wine"
bench/startup/startup.sh "${TRIVO_BENCH_ROUNDS:-15}"
echo "== the authoring page over the 96-picture quiz (needs build/wasm: scripts/test-web.sh)"
if [ -f web/site/core/trivo-core.wasm ]; then
  (cd web && npm ci --no-audit --no-fund >/dev/null) && node bench/web/author-bench.mjs "${TRIVO_BENCH_ROUNDS:-15}"
else
  echo "no web core in web/site/core: skipped"
fi
echo "== opening quizzes in the web player (Chromium; needs build/wasm: scripts/test-web.sh)"
if [ -f web/site/core/trivo-core.wasm ]; then
  TRIVO_TOOL="$PWD/build/native/tool/trivo" node bench/web/open-bench.mjs "${TRIVO_BENCH_ROUNDS:-5}"
else
  echo "no web core in web/site/core: skipped"
fi
