#!/bin/sh
# Runs a Windows program under Wine in a throw-away prefix: wine-run.sh PREFIX PROGRAM [ARGS...]
set -e
. "$(dirname "$0")/../scripts/wineprefix.sh"
use_wineprefix "$1"
shift
exec wine "$@"
