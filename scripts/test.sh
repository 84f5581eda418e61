#!/bin/sh
# Builds every configuration (Linux with sanitizers, Linux release, Windows 32- and
# 64-bit) and runs all tests; the Windows ones run under Wine, the window tests on Xvfb.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh

if [ -z "${DISPLAY:-}" ]; then
    display=:97
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
    export DISPLAY="$display"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi

jobs=$(nproc)
for preset in linux-debug linux-release mingw-i686 mingw-x86_64; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
