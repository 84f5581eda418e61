#!/bin/sh
# Builds every configuration (Linux with sanitizers, Linux release, Windows 32- and
# 64-bit) and runs all tests; the Windows ones run under Wine, the window tests on Xvfb.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/ia32.sh

if [ -z "${DISPLAY:-}" ]; then
    . scripts/xvfb.sh
    start_xvfb 1024x768x24
fi

# Everything the tests need is installed: a test that skips here fails.
export LUCENTA_E2E_REQUIRED=1
jobs=$(nproc)
for preset in linux-debug linux-release mingw-i686 mingw-x86_64; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    if [ "$preset" = mingw-i686 ] && ! windows_runs_32bit; then
        echo "32-bit Windows programs do not run here: the 32-bit build is checked for static linking only."
        ctest --preset "$preset" -R static-link
        continue
    fi
    ctest --preset "$preset" -j "$jobs"
done
