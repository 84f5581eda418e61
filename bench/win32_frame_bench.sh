#!/bin/sh
# Runs win32_frame_bench under Wine on Xvfb at 1024x768 and 1920x1080.
#   bench/win32_frame_bench.sh build/mingw-i686/bench/win32_frame_bench.exe [ROWS]
set -eu
exe=$(readlink -f "$1")
rows=${2:-3000}
work=$(mktemp -d)
. "$(dirname "$0")/../scripts/xvfb.sh"
. "$(dirname "$0")/../scripts/wineprefix.sh"
start_xvfb 1920x1080x24
trap 'WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true; stop_xvfb; rm -rf "$work"' EXIT
for size in 1024x768 1920x1080; do
    use_wineprefix "$work/prefix" "$size"
    (cd "$work" && wine "$exe" "$rows")
    wineserver -k || true
    wineserver -w
done
