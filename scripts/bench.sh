#!/usr/bin/env bash
# Builds the native tree with the benchmarks and runs every one of them,
# then the start-up benchmark of quiz players under Wine (it needs the
# Windows tree as well; TRIVO_BENCH_ROUNDS sets its rounds, default 7).
# Figures only: nothing here passes or fails on speed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${TRIVO_JOBS:-$(nproc)}
cmake -S . -B build/native -G Ninja -DTRIVO_BUILD_BENCH=ON >/dev/null
ninja -C build/native -j "$jobs" block_decoder_bench verdict_rules_bench inflate_bench png_decoder_bench >/dev/null
for bench in block_decoder_bench verdict_rules_bench inflate_bench png_decoder_bench; do
  echo "== $bench"
  "build/native/bench/$bench" "$@"
done

echo "== start-up of quiz players under Wine"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
ninja -C build/windows -j "$jobs" trivo-player empty_window startup_probe >/dev/null
cmake -S . -B build/native -DTRIVO_PLAYER_TEMPLATE="$PWD/build/windows/app/trivo-player.exe" >/dev/null
ninja -C build/native -j "$jobs" trivo >/dev/null
bench/startup/startup.sh "${TRIVO_BENCH_ROUNDS:-7}"
