#!/bin/sh
# Installs the Debian packages that building and testing need; fast when they are there.
set -eu
. "$(dirname "$0")/ia32.sh"

packages="cmake make g++ googletest libbenchmark-dev libpng-dev zlib1g-dev
 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
 locales-all python3 wine wine64 xvfb xauth xdotool x11-utils imagemagick
 libx11-dev libxrandr-dev libxext-dev xscreensaver libgtk-3-dev desktop-file-utils man-db dpkg-dev
 libwayland-dev wayland-protocols sway xwayland grim wtype lintian appstream"

# Without 32-bit execution the 32-bit Wine loader cannot start, and the wine
# command would pick it over the 64-bit one: install it only where it runs.
if can_run_32bit; then
    packages="$packages wine32:i386"
fi

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
case "$missing" in
    *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386 ;;
esac
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
