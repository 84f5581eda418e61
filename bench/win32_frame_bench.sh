#!/bin/sh
# Runs win32_frame_bench under Wine on Xvfb at 1024x768 and 1920x1080.
#   bench/win32_frame_bench.sh build/mingw-i686/bench/win32_frame_bench.exe [ROWS]
set -eu
exe=$(readlink -f "$1")
rows=${2:-3000}
work=$(mktemp -d)
. "$(dirname "$0")/../scripts/xvfb.sh"
start_xvfb 1920x1080x24
trap 'WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true; stop_xvfb; rm -rf "$work"' EXIT
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
for size in 1024x768 1920x1080; do
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1
    wineserver -w
    (cd "$work" && wine "$exe" "$rows")
    wineserver -k || true
    wineserver -w
done
