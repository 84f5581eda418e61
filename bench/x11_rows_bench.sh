#!/bin/sh
# Rows per second of the real `lucenta -s` on Xvfb at 1920x1080 and 3840x2160, each beside the
# scroll-only ceiling and the naive per-pixel path measured on the same server, with the time to the
# first row and from a key press to the end.
#   bench/x11_rows_bench.sh [BUILD_DIR] [SECONDS]     (BUILD_DIR: build/linux-release)
set -eu
here=$(dirname "$0")
build=${1:-$here/../build/linux-release}
seconds=${2:-4}
. "$here/../scripts/xvfb.sh"
for size in 1920x1080 3840x2160; do
    start_xvfb "${size}x24"
    python3 "$here/x11_rows_bench.py" "$build/platform/linux/lucenta" "$build/bench/x11_scroll_bench" "$seconds"
    stop_xvfb
    sleep 0.5
done
