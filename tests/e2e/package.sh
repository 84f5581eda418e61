#!/bin/sh
# Installs the build into a staging folder as the Debian package lays it out, checks
# the files and the manual page, then builds the package with CPack and checks it.
#   package.sh BUILD_DIR
set -u
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
status=0
check() {  # check NAME COMMAND...
    name=$1
    shift
    if "$@" >/dev/null 2>&1; then echo "ok   $name"; else echo "FAIL $name"; status=1; fi
}

DESTDIR=$stage/root cmake --install "$build" --prefix /usr >/dev/null
root=$stage/root/usr
check "lucenta is installed in bin/" test -x "$root/bin/lucenta"
check "a link in xscreensaver's hack directory leads to it" \
    test "$(readlink -f "$root/libexec/xscreensaver/lucenta")" = "$(readlink -f "$root/bin/lucenta")"
check "the hack's settings file names it and runs it with -s" python3 -c '
import sys, xml.etree.ElementTree as tree
saver = tree.parse(sys.argv[1]).getroot()
sys.exit(0 if saver.get("name") == "lucenta" and saver.find("command").get("arg") == "-s" else 1)' \
    "$root/share/xscreensaver/config/lucenta.xml"
check "the settings dialog's desktop entry passes desktop-file-validate" \
    desktop-file-validate "$root/share/applications/lucenta-settings.desktop"
check "... and runs lucenta -c" grep -qx 'Exec=lucenta -c' "$root/share/applications/lucenta-settings.desktop"
check "the icon is a 256 x 256 PNG" python3 -c '
import struct, sys
head = open(sys.argv[1], "rb").read(24)
sys.exit(0 if head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24]) == (256, 256) else 1)' \
    "$root/share/icons/hicolor/256x256/apps/lucenta.png"
man_warnings=$(MANWIDTH=80 man --warnings -l "$root/share/man/man6/lucenta.6" 2>&1 >/dev/null)
check "the manual page renders without warnings" test -z "$man_warnings"
[ -z "$man_warnings" ] || echo "$man_warnings"
check "the manual page documents the modes, files, signals and exit statuses" sh -c \
    "MANWIDTH=80 man -l '$root/share/man/man6/lucenta.6' | grep -q 'registry.reg' &&
     MANWIDTH=80 man -l '$root/share/man/man6/lucenta.6' | grep -q 'SIGTERM' &&
     MANWIDTH=80 man -l '$root/share/man/man6/lucenta.6' | grep -q 'EXIT STATUS'"

(cd "$build" && cpack -G DEB -B "$stage/package" >/dev/null 2>&1)
deb=$(ls "$stage"/package/lucenta_*_*.deb 2>/dev/null | head -n 1)
check "cpack makes lucenta_<version>_<arch>.deb" test -n "$deb"
if [ -n "$deb" ]; then
    echo "     ($(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends))"
    check "its dependencies come from the linked libraries" sh -c "dpkg-deb -f '$deb' Depends | grep -q libx11-6"
    check "it puts the hack where xscreensaver finds it" sh -c \
        "dpkg-deb -c '$deb' | grep -q '^l.* ./usr/libexec/xscreensaver/lucenta -> ../../bin/lucenta$'"
fi
exit $status
