#!/usr/bin/env bash
# Redraws the icons under resources/icons (commit the result): the generator writes the two SVGs,
# and every PNG size is rendered from the full-colour one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" "$root/build" -- tumblegem_icongen
icons=$root/resources/icons
"$root/build/tumblegem_icongen" "$icons"
for size in 16 32 48 64 128 256; do
    mkdir -p "$icons/hicolor/${size}x$size/apps"
    rsvg-convert -w "$size" -h "$size" "$icons/hicolor/scalable/apps/com.brightnook.Tumblegem.svg" \
        -o "$icons/hicolor/${size}x$size/apps/com.brightnook.Tumblegem.png"
done
