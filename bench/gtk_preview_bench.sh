#!/bin/sh
# The CPU that the settings dialog's live preview costs, on Xvfb at 1920x1080 (gtk_preview_bench.py).
#   bench/gtk_preview_bench.sh [BUILD_DIR] [SECONDS]     (BUILD_DIR: build/linux-release; SECONDS: 10)
set -eu
here=$(dirname "$0")
build=$(readlink -f "${1:-$here/../build/linux-release}")
seconds=${2:-10}
. "$here/../scripts/xvfb.sh"
start_xvfb 1920x1080x24
python3 "$here/gtk_preview_bench.py" "$build/platform/linux/lucenta" "$xvfb_pid" "$seconds"
