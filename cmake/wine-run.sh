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
exec wine "$@"
