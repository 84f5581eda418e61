#!/bin/sh
# Installs the build into a staging folder as the Debian package lays it out, checks
# the files, the manual pages, the menu entries and the metainfo, then builds the
# package with CPack and has lintian check it.
#   package.sh BUILD_DIR
set -u
build=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
status=0
check() {  # check NAME COMMAND...
    name=$1
    shift
    if "$@" >/dev/null 2>&1; then echo "ok   $name"; else echo "FAIL $name"; status=1; fi
}

# Skipped (status 77) where a tool is missing, a failure where LUCENTA_E2E_REQUIRED is set.
missing=""
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli man gzip python3; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "SKIP: this test needs$missing"
    [ -n "${LUCENTA_E2E_REQUIRED:-}" ] && exit 1
    exit 77
fi

DESTDIR=$stage/root cmake --install "$build" --prefix /usr >/dev/null
root=$stage/root/usr
check "a plain install installs nothing that belongs to our own Debian package alone" sh -c \
    "! test -e '$root/share/lintian' && ! test -e '$root/share/doc/lucenta/copyright' &&
     ! test -e '$root/share/doc/lucenta/changelog.Debian.gz'"
check "lucenta is installed in bin/, its dialog in libexec/lucenta/" \
    test -x "$root/bin/lucenta" -a -x "$root/libexec/lucenta/lucenta-settings"
check "a link in xscreensaver's hack directory leads to it" \
    test "$(readlink -f "$root/libexec/xscreensaver/lucenta")" = "$(readlink -f "$root/bin/lucenta")"
check "the hack's settings file names it, runs it with -s and offers the speed" python3 -c '
import sys, xml.etree.ElementTree as tree
saver = tree.parse(sys.argv[1]).getroot()
speed = saver.find(".//number[@id=\"speed\"]")
sys.exit(0 if saver.get("name") == "lucenta" and saver.find("command").get("arg") == "-s" and
         speed.get("arg") == "--speed %" and speed.get("default") == "60" else 1)' \
    "$root/share/xscreensaver/config/lucenta.xml"

settings_entry=$root/share/applications/lucenta-settings.desktop
check "the settings dialog's desktop entry passes desktop-file-validate" desktop-file-validate "$settings_entry"
check "... runs lucenta -c, and names the dialog's window class" sh -c \
    "grep -qx 'Exec=lucenta -c' '$settings_entry' && grep -qx 'StartupWMClass=lucenta-settings' '$settings_entry'"
mate_entry=$root/share/applications/screensavers/lucenta.desktop
check "MATE's and Xfce's saver lists get an entry that passes desktop-file-validate" desktop-file-validate "$mate_entry"
for field in "Exec=lucenta -s" "TryExec=lucenta" "Categories=Screensaver;" "OnlyShowIn=MATE;XFCE;" \
    "StartupNotify=false" "Terminal=false"; do
    check "... with $field" grep -qx "$field" "$mate_entry"
done
for size in $(ls "$source_dir/resources/linux/icons" | sed "s/\.png$//"); do
    check "the icon is a ${size}x$size PNG in the hicolor theme" python3 -c '
import struct, sys
head = open(sys.argv[1], "rb").read(24)
sys.exit(0 if head[:8] == b"\x89PNG\r\n\x1a\n" and struct.unpack(">II", head[16:24]) == (int(sys.argv[2]),) * 2 else 1)' \
        "$root/share/icons/hicolor/${size}x$size/apps/lucenta.png" "$size"
done
check "the AppStream metainfo validates" appstreamcli validate --no-net "$root/share/metainfo/invalid.tovarin.lucenta.metainfo.xml"

for page in man6/lucenta.6.gz man1/lucenta-render.1.gz man1/lucenta-notation.1.gz; do
    man_warnings=$(MANWIDTH=80 man --warnings -l "$root/share/man/$page" 2>&1 >/dev/null)
    check "the manual page $page renders without warnings" test -z "$man_warnings"
    [ -z "$man_warnings" ] || echo "$man_warnings"
done
check "lucenta(6) documents the modes, the speed, the idle mode, files, signals, exit statuses and swayidle" sh -c \
    "page=\$(MANWIDTH=80 man -l '$root/share/man/man6/lucenta.6.gz'); for word in registry.reg SIGTERM 'EXIT STATUS' \
     --speed swayidle WAYLAND_DISPLAY 'IDLE MODE' lucenta-idle.desktop; do echo \"\$page\" | grep -q -- \"\$word\" || exit 1; done"

(cd "$build" && cpack -G DEB -B "$stage/package" >/dev/null 2>&1)
deb=$(ls "$stage"/package/lucenta_*_*.deb 2>/dev/null | head -n 1)
check "cpack makes lucenta_<version>-<revision>_<arch>.deb" sh -c "echo '$deb' | grep -q 'lucenta_[0-9.]*-[0-9]*_'"
if [ -n "$deb" ]; then
    echo "     ($(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends))"
    check "its dependencies come from the linked libraries" sh -c "dpkg-deb -f '$deb' Depends | grep -q libwayland-client0"
    check "it puts the hack where xscreensaver finds it" sh -c \
        "dpkg-deb -c '$deb' | grep -q '^l.* ./usr/libexec/xscreensaver/lucenta -> ../../bin/lucenta$'"
    check "lintian finds no error and no warning" lintian --allow-root --fail-on error,warning "$deb"
    check "... the package holds its copyright and changelog, and overrides no tag" sh -c \
        "dpkg-deb -c '$deb' | grep -q '/usr/share/doc/lucenta/copyright\$' &&
         dpkg-deb -c '$deb' | grep -q '/usr/share/doc/lucenta/changelog.Debian.gz\$' &&
         ! lintian --allow-root -EvIL +pedantic '$deb' | grep -q '^O:'"
    lintian --allow-root -EvIL +pedantic "$deb" 2>&1 | grep -v '^N:' | sed 's/^/     lintian: /'
fi
exit $status
