#!/usr/bin/env bash
# On Wayland a window may take the focus only with an activation token that the launcher gave
# the process asking for it. A second start, launched as a desktop's launcher launches
# programs (`swaymsg exec`, which hands each a token), brings the running game back in front
# of the window that took the focus from it, with the keyboard, and exits 0.
# sway gives such tokens from 1.8 on; Debian 12's sway 1.7 gives none, so there the test says
# so and is skipped (status 77), and the Debian 13 run has it.
# Usage: tests/e2e/wayland_single_launch.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/wayland_lib.sh"

title_bg=220,220,255
frame=30,20,200

# Activation focuses, as on GNOME and Plasma (sway marks the window urgent by default).
start_sway 800x600 "focus_on_window_activation focus"

# Starts a script through the launcher, as the player.
launcher_exec() {
    local script=$work/run/$1.sh
    printf '#!/bin/sh\n%s\n' "$2" >"$script"
    chmod 755 "$script"
    chown "$player" "$script"
    in_session swaymsg exec "$script" >/dev/null || fail "swaymsg exec $1 failed"
}

# What the launcher gives a program it starts.
launcher_exec probe "env >$work/run/launched.txt"
wait_until test -s "$work/run/launched.txt" || fail "swaymsg exec ran nothing"
if ! grep -q '^XDG_ACTIVATION_TOKEN=.' "$work/run/launched.txt"; then
    echo "SKIP: this sway ($(sway --version)) gives launched programs no activation token"
    exit 77
fi

# The window sway gives the keyboard to, by its program's pid.
focused_pid() {
    in_session swaymsg -t get_tree | jq -r '.. | objects | select(.focused? == true) | .pid // empty'
}
has_focus() {
    [[ "$(focused_pid)" == "$1" ]]
}

launch
game=$last_pid
find_window "$game"
wait_until has_focus "$game" || fail "the game never had the focus"

# Another window takes the focus: a copy of the game that shares nothing with the first but
# the compositor (no session bus, a runtime folder of its own) runs on its own.
mkdir -m 700 "$work/other-run"
chown "$player" "$work/other-run"
launch DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus XDG_RUNTIME_DIR="$work/other-run" \
    WAYLAND_DISPLAY="$work/run/wayland-1"
other=$last_pid
wait_until has_focus "$other" || fail "the other window never took the focus (focused: $(focused_pid))"

# The second start, through the launcher, on the game's session bus.
bus=$(printf '%s\n' "${player_env[@]}" | sed -n 's/^DBUS_SESSION_BUS_ADDRESS=//p')
launcher_exec second "DBUS_SESSION_BUS_ADDRESS=$bus XDG_SESSION_TYPE=wayland $exe \
    2>>$work/run/second.txt; echo \$? >$work/run/second.rc"
wait_until test -s "$work/run/second.rc" || fail "the second start did not end"
[[ "$(cat "$work/run/second.rc")" == 0 ]] ||
    fail "the second start exited with $(cat "$work/run/second.rc"): $(cat "$work/run/second.txt")"
wait_until has_focus "$game" ||
    fail "the second start did not bring the game forward (focused: pid $(focused_pid), the game is $game)"
echo "a second start through the launcher gave the focus back to the game"

# The keyboard is the game's again: Ctrl+N starts a round there.
json=$(game_windows | jq -c "select(.pid == $game)")
eval "$(jq -r '"wx=\(.rect.x + .window_rect.x) wy=\(.rect.y + .window_rect.y)"' <<<"$json")"
vx=$(awk -v a="$wx" -v s="$scale" 'BEGIN { printf "%d", a * s }')
vy=$(awk -v a="$wy" -v s="$scale" 'BEGIN { printf "%d", (a + 20) * s }')
wait_for_pixel 0 0 "$title_bg"
keys ctrl+n
wait_for_pixel 0 0 "$frame"
echo "keys reach the game after the second start"
echo "PASS"
