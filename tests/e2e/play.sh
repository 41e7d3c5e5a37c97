#!/usr/bin/env bash
# The game in a real X window, driven by real key presses.
# Usage: xvfb-run -a tests/e2e/play.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/lib.sh"

title_bg=220,220,255
frame=30,20,200
well=255,255,255

launch
game=$last_pid
find_window "$game"
echo "window $win, view at $vx,$vy"

# The window carries the game's icon, small and large.
icons=$(xprop -id "$win" _NET_WM_ICON)
grep -q 'Icon (16 x 16)' <<<"$icons" || fail "no 16x16 window icon"
grep -q 'Icon (32 x 32)' <<<"$icons" || fail "no 32x32 window icon"

# The title screen.
wait_for_pixel 80 300 "$title_bg"
wait_for_pixel 0 0 "$title_bg"

# Ctrl+N starts a round: the frame appears.
xdotool key ctrl+n
wait_for_pixel 0 0 "$frame"
wait_for_pixel 80 300 "$well"

# Down drops the piece a row per press, on top of the pulses; Enter then pauses. The new
# piece's bottom gem starts at row 2, so eight presses put it at row 10 or lower.
xdotool key --delay 20 Down Down Down Down Down Down Down Down Return
# Let the game catch up with the keys: two pictures in a row alike.
shot "$work/shots/paused1.png"
for ((i = 0; i < wait_limit_tenths; i++)); do
    sleep 0.3
    shot "$work/shots/settled.png"
    [[ "$(pixels_changed "$work/shots/paused1.png" "$work/shots/settled.png")" == 0 ]] && break
    cp "$work/shots/settled.png" "$work/shots/paused1.png"
done
lowest=-1
for ((row = 2; row <= 19; row++)); do
    [[ "$(view_pixel "$work/shots/paused1.png" 80 $((row * 20 - 21)))" != "$well" ]] && lowest=$row
done
echo "piece's bottom gem at row $lowest after eight Down presses"
((lowest >= 10)) || fail "Down did not drop the piece (bottom gem at row $lowest)"

# Paused: nothing moves for a second and a half (a running round falls every 0.4 s).
sleep 1.5
shot "$work/shots/paused2.png"
changed=$(pixels_changed "$work/shots/paused1.png" "$work/shots/paused2.png")
[[ "$changed" == 0 ]] || fail "$changed pixels changed while paused"

# Enter resumes: the piece falls again.
xdotool key Return
moved=0
for ((i = 0; i < wait_limit_tenths; i++)); do
    shot "$work/shots/running.png"
    [[ "$(pixels_changed "$work/shots/paused2.png" "$work/shots/running.png")" != 0 ]] && {
        moved=1
        break
    }
    sleep 0.1
done
((moved)) || fail "nothing moved after resuming"

# Escape ends the round: back to the title screen.
xdotool key Escape
wait_for_pixel 80 300 "$title_bg"

# A second start hands over to the running one and leaves.
rc=0
timeout 60 "$exe" 2>>"$work/stderr.txt" || rc=$?
[[ "$rc" == 0 ]] || fail "second start exited with $rc"
alive "$game" || fail "the first window went away"
[[ "$(visible_windows | wc -l)" == 1 ]] || fail "expected exactly one window"

# Ctrl+Q quits with status 0.
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key ctrl+q
await_exit "$game"
[[ "$status" == 0 ]] || fail "Ctrl+Q ended the game with status $status"
echo "stderr of the game:"
cat "$work/stderr.txt"
echo "PASS"
