#!/usr/bin/env bash
# Creates the Wine prefix once: no window manager under Xvfb, so windows must
# not be managed, or every close waits for an answer that never comes.
set -e
prefix=$1
[ -f "$prefix/.trivo-ready" ] && exit 0
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.trivo-ready" ] && exit 0
wineboot -i >/dev/null 2>&1 || true
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# Xvfb has no GL worth the name: draw video frames with GDI.
wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null 2>&1
wineserver -w
touch "$prefix/.trivo-ready"
