#!/usr/bin/env bash
# wine-run.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a Windows executable under Wine with the build tree's own prefix.
# CTest calls it as the cross-compiling emulator; the caller provides the
# X display (xvfb-run -a).
set -e
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=$1
shift
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
"$here/wine-prefix.sh" "$WINEPREFIX"
# Clips only play with an audio output; a machine without a sound card gets
# ALSA's null device.
if [ ! -d /dev/snd ] && [ -z "${ALSA_CONFIG_PATH:-}" ]; then
  export ALSA_CONFIG_PATH="$here/alsa-null.conf"
fi
exec wine "$@"
