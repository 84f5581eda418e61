#!/bin/sh
# Runs the test command N times in a row with a competing load beside it, one busy
# loop per core, as on a busy machine, and prints each run's outcome and time.
#   bench/suite_under_load.sh N             scripts/test.sh, the README's test command
#   bench/suite_under_load.sh N PRESET...   only those presets' tests (ctest -j as test.sh runs them),
#                                           on a private Xvfb, after building them once
# The log of each failed run is kept in build/suite-under-load/.
set -u
cd "$(dirname "$0")/.."
runs=${1:?usage: suite_under_load.sh N [PRESET...]}
shift
presets="$*"
logs=build/suite-under-load
mkdir -p "$logs"
jobs=$(nproc)

if [ -n "$presets" ]; then
    scripts/setup.sh
    for preset in $presets; do
        cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs" >/dev/null || exit 1
    done
    if [ -z "${DISPLAY:-}" ]; then
        . scripts/xvfb.sh
        start_xvfb 1024x768x24
    fi
fi

load_pids=""
for _ in $(seq "$jobs"); do
    sh -c 'while :; do :; done' &
    load_pids="$load_pids $!"
done
stop_load() {
    kill $load_pids 2>/dev/null
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}
trap stop_load EXIT
trap 'exit 130' INT TERM

failures=0
started=$(date +%s)
for run in $(seq "$runs"); do
    log=$logs/run-$run.log
    began=$(date +%s)
    if [ -n "$presets" ]; then
        status=0
        for preset in $presets; do
            ctest --preset "$preset" -j "$jobs" >>"$log" 2>&1 || status=1
        done
    else
        scripts/test.sh >"$log" 2>&1
        status=$?
    fi
    seconds=$(($(date +%s) - began))
    if [ "$status" -eq 0 ]; then
        echo "run $run: passed in $seconds s"
        rm -f "$log"
    else
        failures=$((failures + 1))
        echo "run $run: FAILED in $seconds s; log: $log"
        grep -E "^FAIL |\*\*\*Failed|Failed  |\(Failed\)|Timeout" "$log" | sed 's/^/    /'
    fi
done
echo "$runs runs, $failures failed, $(($(date +%s) - started)) s in all, with $jobs busy loops beside them"
[ "$failures" -eq 0 ]
