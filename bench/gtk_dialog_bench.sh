#!/bin/sh
# The time from starting `lucenta -c` to its settings dialog being on the screen (mapped and
# viewable), on Xvfb at 1920x1080, over several starts; the first start also fills the font caches.
#   bench/gtk_dialog_bench.sh [BUILD_DIR] [STARTS]     (BUILD_DIR: build/linux-release)
set -eu
here=$(dirname "$0")
build=$(readlink -f "${1:-$here/../build/linux-release}")
starts=${2:-5}
work=$(mktemp -d)
. "$here/../scripts/xvfb.sh"
start_xvfb 1920x1080x24
trap 'stop_xvfb; rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config"
times=""
for _ in $(seq "$starts"); do
    started=$(date +%s%N)
    (cd "$work" && exec "$build/platform/linux/lucenta" -c 2>/dev/null) &
    pid=$!
    until xdotool search --onlyvisible --name '^Settings$' >/dev/null 2>&1; do :; done
    shown=$(date +%s%N)
    times="$times $(((shown - started) / 1000000)) ms,"
    xdotool key Escape
    wait $pid
done
echo "lucenta -c: start to dialog on the screen:${times%,}"
