#!/usr/bin/env bash
# Under a real window manager the game's keys reach the view whenever no menu is open: after an
# Alt tap, a menu closed by Escape, by a click elsewhere or by choosing a command, the About
# box, Alt+Tab to another window and back, and a second start of the game. Menus open with the
# mouse; Ctrl keys work. The window offers no maximize.
# Usage: xvfb-run -a -s "-screen 0 800x600x24" tests/e2e/window_manager.sh PATH_TO_TUMBLEGEM
# (the window in its frame needs a taller screen than the other tests')
source "$(dirname "$0")/lib.sh"

title_bg=220,220,255
frame=30,20,200

start_window_manager

# Another window to switch to.
xev -name other -geometry 200x200+500+50 -event focus >"$work/other.txt" 2>&1 &
started+=($!)
# Whether a window of that name shows; sets $found to it.
window_named() {
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [[ -n "$found" ]]
}
wait_until window_named '^other$' || fail "the other window did not appear: $(cat "$work/other.txt")"
other=$found

launch
game=$last_pid
find_window "$game"

# The window has one size: neither the window manager nor the hints Qt gives it offer to
# maximize it. Motif's functions and decorations each have a maximize bit (16 and 64).
allowed=$(xprop -id "$win" _NET_WM_ALLOWED_ACTIONS)
[[ "$allowed" != *_NET_WM_ACTION_MAXIMIZE* ]] || fail "the window may be maximized: $allowed"
read -r _ _ _ functions decorations _ < <(xprop -id "$win" _MOTIF_WM_HINTS | tr -d ',')
((functions & 16 || decorations & 64)) &&
    fail "Motif hints offer maximize: functions $functions, decorations $decorations"

is_active() {
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$1" ]]
}
# The game's visible windows: its own, and a menu or box while one is open.
game_windows() {
    [[ "$(xdotool search --onlyvisible --pid "$game" 2>/dev/null | wc -l)" == "$1" ]]
}
wait_until is_active "$win" || fail "the game never had the focus"

# Clicks a menu's title in the bar (x from the window's left: Game 27, Help 73) and waits for
# the menu; sets $popup to it.
open_menu() {
    xdotool mousemove --sync $((vx + $1)) $((vy - 10)) click 1
    wait_until game_windows 2 || fail "the menu did not open"
    popup=$(xdotool search --onlyvisible --pid "$game" | grep -vx "$win" | head -n1)
}
# A click on the bare screen closes the menu once the menu holds the pointer.
click_elsewhere() {
    xdotool mousemove --sync 780 580 click 1
    game_windows 1
}
choose_first_item() {
    eval "$(window_origin "$popup" P)"
    xdotool mousemove --sync $((PX + 40)) $((PY + 10)) click 1
}

# In a round still running (the frame shows), a gem is somewhere in column $1.
gem_in_column() {
    shot "$work/shots/probe.png"
    [[ "$(view_pixel "$work/shots/probe.png" 0 0)" == "$frame" ]] &&
        [[ "$(convert "$work/shots/probe.png" -crop "1x360+$((vx + 20 * $1 + 20))+$((vy + 10))" +repage \
            -format '%[fx:minima]' info:)" != 1 ]]
}
# The keys reach the view: Left takes the new piece from the middle to the first column. Left
# is pressed again while waiting, in case a press fell between two pieces.
left_reaches_view() {
    xdotool key Left Left Left
    gem_in_column 0
}

new_round() {
    xdotool key ctrl+n
    wait_for_pixel 0 0 "$frame"
}
check_keys_after() {
    wait_until game_windows 1 || fail "a menu or box stayed open after $1"
    wait_until left_reaches_view || fail "Left did not reach the view after $1"
    xdotool key Escape
    wait_for_pixel 80 300 "$title_bg"
    echo "keys reach the view after $1"
}

wait_for_pixel 80 300 "$title_bg"

new_round
xdotool key alt
check_keys_after "an Alt tap"

new_round
open_menu 27
xdotool key Escape
check_keys_after "the Game menu closed by Escape"

new_round
open_menu 27
wait_until click_elsewhere || fail "a click elsewhere did not close the menu"
check_keys_after "the Game menu closed by a click elsewhere"

open_menu 27
choose_first_item # New game
wait_for_pixel 0 0 "$frame"
check_keys_after "New game chosen from the Game menu"

new_round
open_menu 73
choose_first_item # About
wait_until window_named '^About$' || fail "no About box"
wait_until is_active "$found" || fail "the About box did not get the focus"
xdotool key Return
check_keys_after "the About box"

new_round
xdotool key alt+Tab
wait_until is_active "$other" || fail "Alt+Tab did not reach the other window"
xdotool key alt+Tab
wait_until is_active "$win" || fail "Alt+Tab did not come back to the game"
check_keys_after "Alt+Tab to another window and back"

# Another window takes the focus; a second start brings the game back in front, focused, and
# leaves.
new_round
xdotool windowactivate --sync "$other"
wait_until is_active "$other" || fail "the other window did not take the focus"
rc=0
DESKTOP_STARTUP_ID="second-start_TIME$(date +%s)" timeout 60 "$exe" 2>>"$work/stderr.txt" || rc=$?
[[ "$rc" == 0 ]] || fail "the second start exited with $rc"
wait_until is_active "$win" || fail "a second start did not bring the game forward"
check_keys_after "a second start"

xdotool key ctrl+q
await_exit "$game"
[[ "$status" == 0 ]] || fail "Ctrl+Q ended the game with status $status"
echo "PASS"
