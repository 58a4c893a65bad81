#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang clang-format libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  mingw-w64 wine wine64 xvfb xauth xdotool imagemagick
  libspng-dev libdeflate-dev zlib1g-dev libtomlplusplus-dev libcli11-dev
  espeak-ng ffmpeg lame
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
  emscripten nodejs chromium python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
