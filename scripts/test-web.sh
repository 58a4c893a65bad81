#!/usr/bin/env bash
# The web pages in one step: installs what they need, builds the core to
# WebAssembly with the Windows player inside, runs the portable tests under
# node (CTest), then the node tests against the native tool and the browser
# tests in Chromium (the web player and the authoring page), and last the
# Windows player under Wine on the answers file the web player wrote and on
# the quiz the authoring page downloaded.
# Needs build/native/tool/trivo and build/windows/app/trivo-player.exe
# (scripts/test-all.sh builds them first); ends with "N passed, N failed".
# The web tree also makes the one-file quiz page template, which the native
# tool carries (`trivo html`): it is rebuilt with it before the tests.
# With --build-only it builds the web tree and stops (test-all.sh does that
# before the native tree, so the native tool is built with the template).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${TRIVO_JOBS:-$(nproc)}
shared=${TRIVO_SHARED_DIR:-$root/../shared}
tool=$root/build/native/tool/trivo
player=$root/build/windows/app/trivo-player.exe
passed=0
failed=0

scripts/install-deps.sh || { echo "could not install the dependencies"; exit 1; }
build_only=false
[ "${1:-}" = --build-only ] && build_only=true
[ -f "$player" ] || { echo "build the Windows player first"; echo "0 passed, 1 failed"; exit 1; }
$build_only || [ -x "$tool" ] || { echo "build the native tool first"; echo "0 passed, 1 failed"; exit 1; }
(cd web && npm ci --no-audit --no-fund >/dev/null) || { echo "npm ci failed"; echo "0 passed, 1 failed"; exit 1; }

# em++ needs acorn from Debian's node modules.
export NODE_PATH=/usr/share/nodejs
mkdir -p build
if emcmake cmake -S . -B build/wasm -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRIVO_WERROR=ON -DTRIVO_BUILD_TESTS=ON \
    -DTRIVO_SHARED_DIR="$shared" -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/bin/node -DTRIVO_PLAYER_TEMPLATE="$player" \
    >build/wasm-configure.log 2>&1 &&
  ninja -C build/wasm -j "$jobs" >build/wasm-build.log 2>&1; then
  passed=$((passed + 1))
else
  tail -40 build/wasm-build.log build/wasm-configure.log
  echo "0 passed, 1 failed"
  exit 1
fi
echo "authoring core: $(stat -c %s web/site/core/trivo-core.wasm) bytes of wasm, $(stat -c %s web/site/core/trivo-core.js) of loader"
echo "play core: $(stat -c %s web/site/core/trivo-play-core.wasm) bytes of wasm, $(stat -c %s web/site/core/trivo-play-core.js) of loader"
page_template=$root/build/wasm/quiz-page-template.html
echo "one-file page template: $(stat -c %s "$page_template") bytes"
$build_only && exit 0
if ! { cmake -S . -B build/native -DTRIVO_HTML_TEMPLATE="$page_template" >/dev/null &&
  ninja -C build/native -j "$jobs" trivo >build/native-page-build.log 2>&1; }; then
  tail -20 build/native-page-build.log
  echo "the native tool could not be built with the page template"
  failed=$((failed + 1))
fi

ctest --test-dir build/wasm --output-on-failure -j "$jobs" 2>&1 | tee build/wasm-ctest.log
line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' build/wasm-ctest.log | tail -1)
if [ -n "$line" ]; then
  bad=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
else
  failed=$((failed + 1))
fi

# The examples, built with the tool, for the node and browser tests.
quizzes=$root/build/web-quizzes
rm -rf "$quizzes" && mkdir -p "$quizzes"
for source in examples/*/quiz.toml; do
  name=$(basename "$(dirname "$source")")
  TRIVO_PLAYER="$player" "$tool" build "$source" -o "$quizzes/$name.exe" >/dev/null 2>&1 ||
    { echo "$name: trivo build failed"; failed=$((failed + 1)); }
done

export TRIVO_TOOL="$tool" TRIVO_WEB_QUIZZES="$quizzes" TRIVO_SHARED_DIR="$shared"
rm -rf "$root/build/web-answers" "$root/build/web-author"
(cd web && node --test --test-concurrency=1 test/*.test.mjs) >build/web-node-tests.log 2>&1
grep -E '^(not )?ok ' build/web-node-tests.log | sed 's/^/  /'
grep -A30 '^not ok' build/web-node-tests.log | head -60
node_pass=$(sed -n 's/^# pass //p' build/web-node-tests.log)
node_fail=$(sed -n 's/^# fail //p' build/web-node-tests.log)
passed=$((passed + ${node_pass:-0}))
failed=$((failed + ${node_fail:-1}))

# The answers file the page wrote, opened by the Windows player under Wine.
if xvfb-run -a -s "-screen 0 1280x1024x24" bash web/test/windows-reads-web-answers.sh "$root" \
    >build/web-wine.log 2>&1; then
  echo "  ok - the Windows player shows the web's score and writes its answers file back"
  passed=$((passed + 1))
else
  echo "  not ok - the Windows player and the web's answers file:"
  sed 's/^/    /' build/web-wine.log | tail -20
  failed=$((failed + 1))
fi
# The quiz the authoring page downloaded, played by the Windows player under Wine.
if xvfb-run -a -s "-screen 0 1280x1024x24" bash web/test/windows-plays-page-quiz.sh "$root" \
    >build/web-author-wine.log 2>&1; then
  echo "  ok - the authoring page's quiz opens under Wine with its title and turns green on a right answer"
  passed=$((passed + 1))
else
  echo "  not ok - the authoring page's quiz under Wine:"
  sed 's/^/    /' build/web-author-wine.log | tail -20
  failed=$((failed + 1))
fi
echo "screenshots in build/web-shots and build/e2e-shots"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
