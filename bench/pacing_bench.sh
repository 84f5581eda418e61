#!/bin/sh
# The paced Linux saver measured from outside in one run, each at 1920x1080, at the default speed, at 480
# rows/s and at 0: on X11 (Xvfb, beside the scroll-only ceiling) and natively on Wayland (headless sway).
#   bench/pacing_bench.sh [BUILD_DIR] [SECONDS]     (BUILD_DIR: build/linux-release; SECONDS: 10)
set -eu
here=$(dirname "$0")
build=${1:-$here/../build/linux-release}
seconds=${2:-10}
echo "== X11 (Xvfb)"
sh "$here/x11_rows_bench.sh" "$build" "$seconds"
echo "== Wayland (headless sway)"
python3 "$here/wayland_rows_bench.py" "$build/platform/linux/lucenta" "$seconds"
