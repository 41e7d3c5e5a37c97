#!/usr/bin/env bash
# Where the compositor leaves the title bar to the program (weston, as GNOME's mutter), the
# window, which cannot grow, offers no maximize button, and its title shows whole. Qt 6.4's
# own title bar draws minimize, maximize and close whatever the window's hints and cuts the
# title to "Tumbl" beside them; the kit draws a bar of its own instead.
# Usage: [TITLE_BAR_SHOT=FILE.png] tests/e2e/wayland_title_bar.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/wayland_lib.sh"

start_weston 640 600
launch
game=$last_pid
find_weston_window "$work/shots/screen.png"
alive "$game" || fail "the game ended: $(cat "$work/stderr.txt")"
echo "the window: ${wwidth}x$wheight at $wx,$wy"
convert "$work/shots/screen.png" -crop "${wwidth}x$wheight+$wx+$wy" +repage \
    "${TITLE_BAR_SHOT:-/dev/null}"

# The content, 161 by 421 pixels (the menu bar, then the view), fills the window's width and
# its bottom: the view's top left shows the title screen's background, the row above it the
# menu bar. What is above the content is the title bar.
content_height=421
bar_height=$((wheight - content_height))
view_top=$((wy + bar_height + 20))
pixel() {
    local c
    c=$(convert "$work/shots/screen.png" -format "%[pixel:p{$1,$2}]" info:)
    c=${c#srgb(}
    echo "${c%)}"
}
# The title bar's glyphs, seen from above: the bar's rows inside its edges, in gray. Ink is
# what differs from the bar's own color (its most common gray) by more than a sixth: Qt draws
# the glyphs of a window without the keyboard light gray. Each run of columns holding ink,
# with at least four columns without before the next, is one thing drawn: the title, then one
# run for each button. A run's shape: its width and whether its edges are whole lines of ink,
# as a square's are (maximize) and an X's or a bar's are not.
convert "$work/shots/screen.png" -crop "$((wwidth - 4))x$((bar_height - 6))+$((wx + 2))+$((wy + 3))" \
    +repage -colorspace gray -depth 8 -compress none pgm:- >"$work/shots/bar.pgm"
glyphs=$(awk '
    NR == 2 { width = $1; height = $2; next }
    NR > 3 { for (i = 1; i <= NF; i++) { gray[n % width, int(n / width)] = $i; count[$i]++; n++ } }
    END {
        for (g in count) if (count[g] > count[bar] || bar == "") bar = g
        for (x = 0; x < width; x++) for (y = 0; y < height; y++)
            pixel[x, y] = (gray[x, y] - bar > 42 || bar - gray[x, y] > 42)
        start = -1; gap = 0
        for (x = 0; x <= width; x++) {
            dark = 0
            for (y = 0; y < height; y++) if (x < width && pixel[x, y]) dark = 1
            if (dark) { if (start < 0) start = x; last = x; gap = 0; continue }
            if (start >= 0 && ++gap >= 4 || x == width && start >= 0) {
                top = -1; bottom = -1
                for (y = 0; y < height; y++) for (c = start; c <= last; c++) if (pixel[c, y]) {
                    if (top < 0) top = y; bottom = y }
                left = 1; right = 1; across = 1
                for (y = top; y <= bottom; y++) { left = left && pixel[start, y]; right = right && pixel[last, y] }
                for (c = start; c <= last; c++) across = across && pixel[c, top] && pixel[c, bottom]
                shape = (bottom - top >= 4 && left && right && across) ? "square" : "other"
                printf "%d-%d %s\n", start, last, shape
                start = -1
            }
        }
    }' "$work/shots/bar.pgm")
echo "the title bar's glyph runs (x from the bar's left, shape):"
echo "$glyphs"
runs=$(grep -c . <<<"$glyphs" || true)
grep -q square <<<"$glyphs" && fail "the title bar shows a maximize button (a square)"
# The title, minimize, close.
[[ "$runs" == 3 ]] || fail "$runs things in the title bar, not the title and two buttons"
# Cut to "Tumbl" or "Tumble" the title is under 50 pixels wide; "Tumblegem" takes half as
# much again.
title=$(head -n1 <<<"$glyphs")
from=${title%%-*} to=${title#*-}
to=${to%% *}
echo "the title is $((to - from + 1)) pixels wide"
((to - from + 1 >= 60)) || fail "the title is cut: $((to - from + 1)) pixels wide"

[[ "$wwidth" == 161 ]] || fail "the window is $wwidth pixels wide, not the content's 161"
((bar_height >= 16)) || fail "no title bar above the content: the window is $wheight pixels high"
[[ "$(pixel "$wx" "$view_top")" == 220,220,255 ]] ||
    fail "no view at the window's bottom: $(pixel "$wx" "$view_top") at $wx,$view_top"
[[ "$(pixel "$wx" $((view_top - 1)))" != 220,220,255 ]] ||
    fail "the view does not start $((bar_height + 20)) pixels down"

alive "$game" || fail "the game ended: $(cat "$work/stderr.txt")"
echo "PASS"
