#!/usr/bin/env bash
# Where the compositor leaves the title bar to the program (sway's `border csd`, as GNOME and
# weston do), Qt draws it: the window, which cannot grow, offers no maximize button, and its
# title shows whole. Qt 6.4's title bar draws its three buttons whatever the window's hints,
# so there this fails for any program (the window is 161 pixels wide, and beside three
# buttons its title is cut to "Tumble").
# Usage: [TITLE_BAR_SHOT=FILE.png] tests/e2e/wayland_title_bar.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/wayland_lib.sh"

start_sway 800x1000 'for_window [app_id=".*"] border csd'
launch
game=$last_pid
find_window "$game"
wait_until in_session swaymsg "[con_id=$win] border csd" >/dev/null
sleep 1
shot "$work/shots/window.png" window
cp "$work/shots/window.png" "${TITLE_BAR_SHOT:-/dev/null}"

# The title bar's glyphs, seen from above: the bar's middle rows (below its top edge, above
# the menu bar), after the icon, in black and white. Each run of columns holding dark pixels,
# with at least four light columns before the next, is one thing drawn: the title, then one
# run for each button. A run's shape: its width and whether its edges are whole dark lines,
# as a square's are (maximize) and an X's or a bar's are not.
convert "$work/shots/window.png" -crop "$((wwidth - 33))x16+30+7" +repage -colorspace gray \
    -threshold 45% -compress none pbm:- >"$work/shots/bar.pbm"
glyphs=$(awk '
    NR == 2 { width = $1; height = $2; next }
    NR > 2 { for (i = 1; i <= NF; i++) { pixel[n % width, int(n / width)] = $i; n++ } }
    END {
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
    }' "$work/shots/bar.pbm")
echo "the title bar's glyph runs (x from the title's start, shape):"
echo "$glyphs"
runs=$(wc -l <<<"$glyphs")
grep -q square <<<"$glyphs" && fail "the title bar shows a maximize button (a square)"
# The title, minimize, close.
[[ "$runs" == 3 ]] || fail "$runs things in the title bar, not the title and two buttons"
# Cut to "Tumble" the title is 46 pixels wide; "Tumblegem" takes half as much again.
title=$(head -n1 <<<"$glyphs")
from=${title%%-*} to=${title#*-}
to=${to%% *}
echo "the title is $((to - from + 1)) pixels wide"
((to - from + 1 >= 60)) || fail "the title is cut: $((to - from + 1)) pixels wide"

keys ctrl+q
await_exit "$game"
echo "PASS"
