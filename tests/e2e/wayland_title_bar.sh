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
convert "$work/shots/screen.png" -crop "${wwidth}x$wheight+$wx+$wy" +repage "$work/shots/window.png"
check_title_bar "$work/shots/window.png"

[[ "$wwidth" == 161 ]] || fail "the window is $wwidth pixels wide, not the content's 161"
[[ "$(pixel "$wx" "$view_top")" == 220,220,255 ]] ||
    fail "no view at the window's bottom: $(pixel "$wx" "$view_top") at $wx,$view_top"
[[ "$(pixel "$wx" $((view_top - 1)))" != 220,220,255 ]] ||
    fail "the view does not start $((bar_height + 20)) pixels down"

alive "$game" || fail "the game ended: $(cat "$work/stderr.txt")"
echo "PASS"
