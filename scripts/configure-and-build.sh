# Sourced by the scripts that build only what they need (play-demo.sh,
# serve-web.sh); they set `build` (the build folder), `jobs` and `step`
# (their name, for the log and the messages).

# configure_and_build TREE TARGET [CMAKE OPTIONS...]: a new tree leaves the
# tests out (their packages come with the test command); an existing one
# keeps its own choice.
configure_and_build() {
  local tree=$1 target=$2
  shift 2
  local options=("$@")
  local log="$build/$tree-$step.log"
  [ -f "$build/$tree/CMakeCache.txt" ] || options+=(-DTRIVO_BUILD_TESTS=OFF)
  echo "Building $target in $build/$tree"
  if ! { cmake -S . -B "$build/$tree" -G Ninja "${options[@]}" &&
    ninja -C "$build/$tree" -j "$jobs" "$target"; } >"$log" 2>&1; then
    tail -40 "$log"
    echo "$step: building $target failed (log: $log)" >&2
    exit 1
  fi
}
