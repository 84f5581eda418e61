#!/bin/sh
# Runs a Windows program under Wine in a throw-away prefix: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is created on first use; no Mono or Gecko installer is allowed to block it.
set -e
WINEPREFIX=$1
shift
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1'
    wineserver -w
fi
exec wine "$@"
