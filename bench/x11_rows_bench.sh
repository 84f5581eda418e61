#!/bin/sh
# The real `lucenta -s` on Xvfb at 1920x1080, measured from outside at each speed: rows per second on
# the screen, the CPU of lucenta and of the X server, the time to the first row and from a key press to
# the end, beside the scroll-only ceiling and the naive per-pixel path measured on the same server.
#   bench/x11_rows_bench.sh [BUILD_DIR] [SECONDS]     (BUILD_DIR: build/linux-release; SECONDS: 10)
set -eu
here=$(dirname "$0")
build=${1:-$here/../build/linux-release}
seconds=${2:-10}
. "$here/../scripts/xvfb.sh"
start_xvfb 1920x1080x24
python3 "$here/x11_rows_bench.py" "$build/platform/linux/lucenta" "$build/bench/x11_scroll_bench" "$xvfb_pid" "$seconds"
