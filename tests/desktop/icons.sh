#!/usr/bin/env bash
# The committed SVGs are what the generator writes, every PNG is the full-colour SVG rendered at
# its size (within rounding: librsvg's smoothing differs a little between releases), and the
# artwork keeps the icon grid's margin instead of filling the canvas.
# Usage: tests/desktop/icons.sh ICONGEN ICON_DIR
set -euo pipefail
gen=${1:?usage: $0 ICONGEN ICON_DIR}
committed=${2:?usage: $0 ICONGEN ICON_DIR}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$gen" "$fresh"
id=com.brightnook.Tumblegem
for svg in scalable/apps/$id.svg symbolic/apps/$id-symbolic.svg; do
    cmp "$committed/hicolor/$svg" "$fresh/hicolor/$svg" ||
        fail "$svg is not the generator's (scripts/icons.sh redraws it)"
done

for size in 16 32 48 64 128 256; do
    png=$committed/hicolor/${size}x$size/apps/$id.png
    rsvg-convert -w "$size" -h "$size" -o "$fresh/$size.png" \
        "$committed/hicolor/scalable/apps/$id.svg"
    [[ "$(identify -format %wx%h "$png")" == "${size}x$size" ]] || fail "$png is not ${size}x$size"
    # Pixels further apart than rounding, colour or coverage.
    differ=$(compare -metric AE -fuzz 4% "$png" "$fresh/$size.png" null: 2>&1) || true
    [[ "$differ" == 0 ]] || fail "$png: $differ pixels differ from the SVG rendered at $size"
    # The opaque part's box, found inside a clear border of one pixel so that a canvas filled
    # edge to edge has a box too; the grid leaves 8 of 128 units free on every side.
    read -r w h x y < <(convert "$png" -alpha extract -threshold 50% -bordercolor black \
        -border 1 -format '%@\n' info: | tr 'x+' '  ')
    x=$((x - 1)) y=$((y - 1))
    margin=$((size / 16))
    ((x >= margin && y >= margin && x + w <= size - margin && y + h <= size - margin)) ||
        fail "$png: the artwork (${w}x$h at $x,$y) reaches into the margin of $margin pixels"
done
echo "PASS"
