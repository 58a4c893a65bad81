#!/usr/bin/env bash
# Installs what is missing, builds every tree and runs every test:
#   build/first-run  the README's play command, first, on a fresh tree of
#                  its own, as a new user runs it (exit code and screenshot)
#   build/windows  the player and its tests, run under Wine in Xvfb
#   build/wasm     the web core and the one-file quiz page template
#   build/native   portable cores, their tests, the authoring tool, benchmarks
#   build/asan     the native tests again under AddressSanitizer and UBSan
#   build/fuzz     libFuzzer targets, each run for a bounded time
# then the end-to-end runs of built quizzes, and a format check.
# Ends with one line: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${TRIVO_JOBS:-$(nproc)}
fuzz_seconds=${TRIVO_FUZZ_SECONDS:-20}
shared=${TRIVO_SHARED_DIR:-$root/../shared}

passed=0
failed=0
failures=()
pass() { passed=$((passed + $1)); }
fail() { failed=$((failed + $1)); failures+=("$2"); }
step() { printf '\n== %s\n' "$*"; }

# The play command comes first and builds alone, so a first run that needs
# anything the rest of this script builds or installs cannot pass unseen.
step "Play command on a fresh tree"
rm -rf build/first-run
if TRIVO_BUILD_DIR=build/first-run TRIVO_DEMO_VIRTUAL=1 scripts/play-demo.sh; then
  colours=$(identify -format '%k' build/first-run/demo/screenshot.png 2>/dev/null || echo 0)
  if [ "$colours" -gt 16 ]; then pass 1; else fail 1 "play command: the screenshot is blank ($colours colours)"; fi
else
  fail 1 "play command: scripts/play-demo.sh failed"
fi

step "Dependencies"
scripts/install-deps.sh all || { echo "could not install the dependencies"; exit 1; }

# Runs ctest and adds its counts to the totals.
run_ctest() {
  local name=$1
  shift
  local log="$root/build/$name-ctest.log"
  "$@" 2>&1 | tee "$log"
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    fail 1 "$name: ctest did not run"
    return
  fi
  local bad total
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  pass $((total - bad))
  [ "$bad" -eq 0 ] || fail "$bad" "$name: $bad ctest failures"
}

build_tree() {
  local dir=$1
  shift
  cmake -S . -B "build/$dir" -G Ninja -DTRIVO_WERROR=ON -DTRIVO_SHARED_DIR="$shared" -DTRIVO_BUILD_TESTS=ON "$@" >/dev/null &&
    ninja -C "build/$dir" -j "$jobs" >"build/$dir-build.log" 2>&1 ||
    { tail -40 "build/$dir-build.log"; return 1; }
}

mkdir -p build

step "Format"
unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -c 'warning:' || true)
if [ "$unformatted" -eq 0 ]; then pass 1; else
  git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep 'warning:' | cut -d: -f1 | sort -u
  fail 1 "format: files need clang-format"
fi

step "Windows tree"
if build_tree windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake; then
  pass 1
  cmake/wine-prefix.sh "$root/build/windows/wineprefix"
  run_ctest windows xvfb-run -a ctest --test-dir build/windows --output-on-failure -j 1
else
  fail 1 "windows: build failed"
fi
template="$root/build/windows/app/trivo-player.exe"
# The native tools carry the player inside; without one (a failed Windows
# build) they are still built, and the tests that need it fail.
template_option=()
[ -f "$template" ] && template_option=(-DTRIVO_PLAYER_TEMPLATE="$template")

# The web tree makes the one-file quiz page template the native tool carries.
step "Web tree (WebAssembly core and the quiz page template)"
page_template="$root/build/wasm/quiz-page-template.html"
if [ -f "$template" ] && TRIVO_JOBS=$jobs TRIVO_SHARED_DIR="$shared" scripts/test-web.sh --build-only; then
  pass 1
  template_option+=(-DTRIVO_HTML_TEMPLATE="$page_template")
  # trivo.exe, built before the template existed, takes it in as trivo does.
  if [ -d build/windows ] && ! { cmake -S . -B build/windows -DTRIVO_HTML_TEMPLATE="$page_template" >/dev/null &&
    ninja -C build/windows -j "$jobs" trivo >>build/windows-build.log 2>&1; }; then
    fail 1 "windows: trivo.exe could not be built with the page template"
  fi
else
  fail 1 "web tree: build failed"
fi

step "Native tree"
if build_tree native -DTRIVO_BUILD_BENCH=ON "${template_option[@]}"; then
  pass 1
  run_ctest native ctest --test-dir build/native --output-on-failure -j "$jobs"
else
  fail 1 "native: build failed"
fi

step "Native tree under AddressSanitizer and UBSan"
if build_tree asan -DTRIVO_SANITIZE=ON -DTRIVO_BUILD_TOOL=ON "${template_option[@]}"; then
  pass 1
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest asan ctest --test-dir build/asan --output-on-failure -j "$jobs"
else
  fail 1 "asan: build failed"
fi

step "Fuzzers (${fuzz_seconds} s each)"
if CC=clang CXX=clang++ build_tree fuzz -DTRIVO_BUILD_FUZZ=ON -DTRIVO_BUILD_TESTS=OFF; then
  for fuzzer in build/fuzz/tests/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus="tests/fuzz/corpus/${name#fuzz_}"
    work="build/fuzz/corpus/${name#fuzz_}"
    mkdir -p "$work"
    if "$fuzzer" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="build/fuzz/$name-" "$work" "$corpus" >"build/fuzz/$name.log" 2>&1; then
      echo "$name: $(grep -E '^Done [0-9]+ runs' "build/fuzz/$name.log" | tail -1)"
      pass 1
    else
      tail -30 "build/fuzz/$name.log"
      fail 1 "fuzz: $name found a fault"
    fi
  done
else
  fail 1 "fuzz: build failed"
fi

step "End to end under Wine"
if [ -x build/native/tool/trivo ] && [ -f "$template" ]; then
  for script in tests/e2e/*.sh; do
    [ -f "$script" ] || continue
    if xvfb-run -a -s "-screen 0 1280x1024x24" bash "$script" "$root"; then
      pass 1
    else
      fail 1 "e2e: $(basename "$script")"
    fi
  done
else
  fail 1 "e2e: the tool or the player was not built"
fi

step "Web player (WebAssembly core, node and Chromium)"
if [ -x build/native/tool/trivo ] && [ -f "$template" ]; then
  TRIVO_JOBS=$jobs TRIVO_SHARED_DIR="$shared" scripts/test-web.sh 2>&1 | tee build/web.log
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' build/web.log | tail -1)
  if [ -n "$line" ]; then
    pass "${line%% passed*}"
    bad=$(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$line")
    [ "$bad" -eq 0 ] || fail "$bad" "web: $bad failures"
  else
    fail 1 "web: the web tests did not run"
  fi
else
  fail 1 "web: the tool or the player was not built"
fi

echo
for f in "${failures[@]}"; do echo "FAILED: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
