# Sourced by the scripts that run Lucenta.scr under Wine.
# use_wineprefix PREFIX [WIDTHxHEIGHT] exports WINEPREFIX with Wine quiet (no Mono or
# Gecko installer may block it), creates the prefix on first use (once, under a lock,
# however many start at the same time) and, given a size, gives it Wine's own virtual
# desktop of that size: Wine then manages activation and keyboard focus as Windows
# does, without an X window manager.

use_wineprefix() {
    WINEPREFIX=$1
    WINEDEBUG=${WINEDEBUG:--all}
    WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1'
        wineserver -w
    fi
    if [ -n "${2:-}" ]; then
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$2" /f >/dev/null 2>&1
        wineserver -w
    fi
}
