#!/bin/sh
# Builds Lucenta and runs it.
#   scripts/run.sh [-s | -c | -i]           the Linux program (default -s: the saver, full screen)
#   scripts/run.sh --wine [/s | /c | /i]    the Windows program, Lucenta.scr, under Wine
# With a display (DISPLAY set) it runs there until you press a key or move the mouse.
# Without one it runs on a private X server for a few seconds, leaves a screenshot in
# build/lucenta-screenshot.png and is ended by a key press.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/ia32.sh

wine=
if [ "${1:-}" = "--wine" ]; then
    wine=1
    shift
fi
mode=${1:-}

if [ -z "$wine" ]; then
    cmake --preset linux-release >/dev/null
    cmake --build --preset linux-release --target lucenta lucenta-settings -j "$(nproc)"
    program=$PWD/build/linux-release/platform/linux/lucenta
    mode=${mode:--s}
else
    # The 32-bit build where this machine runs 32-bit programs, else the 64-bit one.
    preset=mingw-x86_64
    windows_runs_32bit && preset=mingw-i686
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target Lucenta -j "$(nproc)"
    program=$PWD/build/$preset/platform/win32/Lucenta.scr
    mode=${mode:-/s}
    prefix="${LUCENTA_WINEPREFIX:-$HOME/.local/share/lucenta/wineprefix-$preset}"
    . scripts/wineprefix.sh
fi

run() {
    if [ -n "$wine" ]; then wine "$program" "$mode"; else "$program" "$mode"; fi
}

if [ -n "${DISPLAY:-}" ]; then
    [ -z "$wine" ] || use_wineprefix "$prefix"
    run
    exit $?
fi

. scripts/xvfb.sh
start_xvfb 1024x768x24
if [ -n "$wine" ]; then
    trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
    use_wineprefix "$prefix" 1024x768
fi
run &
pid=$!
sleep 5
import -window root build/lucenta-screenshot.png
echo "screenshot: $PWD/build/lucenta-screenshot.png"
xdotool key Escape
status=0
wait $pid || status=$?
echo "$(basename "$program") $mode ended with status $status"
