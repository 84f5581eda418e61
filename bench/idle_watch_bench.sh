#!/bin/sh
# The idle watcher, `lucenta --idle`, measured from outside on Xvfb: its CPU and memory while it waits,
# and the time from the end of the idle period to the saver's first frame on the screen.
#   bench/idle_watch_bench.sh [BUILD_DIR] [SECONDS] [ROUNDS]   (build/linux-release, 60, 5)
set -eu
here=$(dirname "$0")
build=${1:-$here/../build/linux-release}
. "$here/../scripts/xvfb.sh"
start_xvfb 640x480x24
bus=$(mktemp)
dbus-daemon --session --fork --print-address=1 --print-pid=3 >"$bus" 3>"$bus.pid"
trap 'stop_xvfb; kill "$(cat "$bus.pid")"; rm -f "$bus" "$bus.pid"' EXIT
DBUS_SESSION_BUS_ADDRESS=$(cat "$bus") python3 "$here/idle_watch_bench.py" "$build/platform/linux/lucenta" \
    "${2:-60}" "${3:-5}"
