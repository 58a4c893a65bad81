#!/usr/bin/env bash
# install-deps.sh [demo|all]: installs the Debian packages that are missing,
# with apt's own progress shown. "demo" is what scripts/play-demo.sh needs
# (the tool, the player and Wine in a virtual display); "all" (the default)
# adds what the tests, fuzzers and benchmarks need. Needs root (or sudo)
# when something is missing.
set -euo pipefail

demo_packages=(
  cmake ninja-build g++ mingw-w64 libtomlplusplus-dev libcli11-dev
  pkg-config libturbojpeg0-dev libspng-dev zlib1g-dev dpkg-dev
  wine wine64 xvfb xauth xdotool imagemagick
)
test_packages=(
  clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  libdeflate-dev bc
  espeak-ng ffmpeg lame
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  emscripten nodejs chromium firefox-esr python3 libxml2-utils
)

case ${1:-all} in
  demo) packages=("${demo_packages[@]}") ;;
  all) packages=("${demo_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 [demo|all]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y "${missing[@]}"
