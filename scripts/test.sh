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
# The end-to-end tests run on the sanitized build, but the dialog's, which GTK makes
# slow there and which runs on the release build; the release build also runs its
# unit tests, the saver's own runs (timed without the sanitizers) and its package.
debug_skips='^e2e\.settings_gtk$'
release_skips='^e2e\.(notation|render|saver_x11_windows|saver_wayland|xscreensaver_panel|saver_weston|idle_watch)$'
for preset in linux-debug linux-release mingw-i686 mingw-x86_64; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    if [ "$preset" = mingw-i686 ] && ! windows_runs_32bit; then
        echo "32-bit Windows programs do not run here: the 32-bit build is checked for static linking only."
        ctest --preset "$preset" -R static-link
        continue
    fi
    case $preset in
        linux-debug) ctest --preset "$preset" -j "$jobs" -E "$debug_skips" ;;
        linux-release) ctest --preset "$preset" -j "$jobs" -E "$release_skips" ;;
        *) ctest --preset "$preset" -j "$jobs" ;;
    esac
done
