#!/bin/sh
# Installs the Debian packages that building and testing need; fast when they are there.
set -eu
. "$(dirname "$0")/ia32.sh"

packages="cmake make g++ googletest libbenchmark-dev libpng-dev zlib1g-dev
 g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
 locales-all python3 wine wine64 xvfb xauth xdotool x11-utils imagemagick
 libx11-dev libxrandr-dev libxext-dev xscreensaver libgtk-3-dev desktop-file-utils man-db dpkg-dev
 libwayland-dev wayland-protocols sway xwayland grim wtype lintian appstream weston
 libsystemd-dev plasma-wayland-protocols kwin-wayland mutter dbus x11-xserver-utils python3-dbus python3-gi
 at-spi2-core gir1.2-atspi-2.0"

missing_of() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    echo "$missing"
}

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo

# A mirror in the middle of a sync serves some lists that do not match their
# index: the lists that did arrive are used, and the update is tried again later.
update_lists() {
    for attempt in 1 2 3; do
        $SUDO apt-get update -qq && return 0
        [ "$attempt" -lt 3 ] && sleep 15
    done
    echo "setup: some package lists could not be updated; going on with those there are" >&2
}

install() {
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

missing=$(missing_of $packages)
# Without 32-bit execution the 32-bit Wine loader cannot start, and the wine
# command would pick it over the 64-bit one: install it only where it runs.
missing32=""
if can_run_32bit; then
    missing32=$(missing_of wine32:i386)
fi
[ -z "$missing$missing32" ] && exit 0

echo "Installing:$missing$missing32"
if [ -n "$missing32" ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
fi
updated=""
if [ -n "$missing" ]; then
    update_lists
    updated=1
    # shellcheck disable=SC2086
    install $missing
fi
# The 32-bit Wine needs i386 libraries of the same versions as the 64-bit ones;
# while the i386 lists lag behind it cannot be installed, and the 32-bit Windows
# build is then only checked for static linking (see windows_runs_32bit).
if [ -n "$missing32" ]; then
    [ -n "$updated" ] || update_lists
    install wine32:i386 ||
        echo "setup: wine32:i386 cannot be installed now; the 32-bit Windows tests will not run" >&2
fi
