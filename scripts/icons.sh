#!/bin/sh
# Draws the saver's icons as the tree keeps them in resources/linux/icons: the
# picture of Plain Bob from the default settings, about 2.7 heights of rows, at
# each size that the folder holds (its files are named after their sizes).
#   scripts/icons.sh LUCENTA_RENDER [OUT_DIR]   (OUT_DIR: resources/linux/icons, anew)
set -eu
render=$(realpath "$1")
icons=$(cd "$(dirname "$0")/../resources/linux/icons" && pwd)
out=$(realpath -m "${2:-$icons}")
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
mkdir -p "$out"
for icon in "$icons"/*.png; do
    size=$(basename "$icon" .png)
    (cd "$settings" && XDG_CONFIG_HOME="$settings" "$render" --width "$size" --height "$size" \
        --rows $((size * 700 / 256)) --method 2 --out "$out/$size.png")
done
