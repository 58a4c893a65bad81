#!/usr/bin/env bash
# Builds the native tree with the benchmarks and runs every one of them.
# Figures only: nothing here passes or fails on speed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/native -G Ninja -DTRIVO_BUILD_BENCH=ON >/dev/null
ninja -C build/native -j "${TRIVO_JOBS:-$(nproc)}" block_decoder_bench verdict_rules_bench inflate_bench png_decoder_bench >/dev/null
for bench in block_decoder_bench verdict_rules_bench inflate_bench png_decoder_bench; do
  echo "== $bench"
  "build/native/bench/$bench" "$@"
done
