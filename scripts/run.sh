#!/bin/sh
# Builds Lucenta.scr and runs it under Wine.
#   scripts/run.sh [/s | /c | /i]     (default /s: the saver, full screen)
# With a display (DISPLAY set) the saver runs there until you press a key or move
# the mouse. Without one it runs on a virtual X server for a few seconds, leaves a
# screenshot in build/lucenta-screenshot.png and is ended by a key press.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 --target Lucenta -j "$(nproc)"
saver=$PWD/build/mingw-i686/platform/win32/Lucenta.scr
mode=${1:-/s}

export WINEPREFIX="${LUCENTA_WINEPREFIX:-$HOME/.local/share/lucenta/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="

headless=
if [ -z "${DISPLAY:-}" ]; then
    headless=1
    . scripts/xvfb.sh
    start_xvfb 1024x768x24
    trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
if [ -z "$headless" ]; then
    exec wine "$saver" "$mode"
fi

# Wine's own desktop gives the saver keyboard focus without a window manager.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w
wine "$saver" "$mode" &
saver_pid=$!
sleep 5
import -window root build/lucenta-screenshot.png
echo "screenshot: build/lucenta-screenshot.png"
xdotool key Escape
status=0
wait $saver_pid || status=$?
echo "Lucenta.scr $mode ended with status $status"
