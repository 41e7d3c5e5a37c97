# Shared by the real-window tests; run under Xvfb. Sourced, with $1 the game's executable.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

exe_source=${1:?usage: $0 PATH_TO_TUMBLEGEM}
[[ -n "${DISPLAY:-}" ]] || { echo "needs an X display (run under xvfb-run -a)" >&2; exit 2; }
unset QT_QPA_PLATFORM WAYLAND_DISPLAY

# A private copy of the program's folder (the score file lands there), a private runtime
# folder and a session bus of the test's own, as a desktop session has: single launch goes
# through the bus.
work=$(mktemp -d)
mkdir -p "$work/bin" "$work/run" "$work/shots"
chmod 700 "$work/run"
cp "$exe_source" "$work/bin/tumblegem"
exe="$work/bin/tumblegem"
export XDG_RUNTIME_DIR="$work/run"
started=()

cleanup() {
    for pid in "${started[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
started+=("${bus##*$'\n'}")

# xvfb-run's server resets when its last client leaves, and a client still connecting then is
# dropped: a game started right after the only one running was killed would find no display.
# A client of our own keeps the server from ever being left alone.
hold_display() {
    local holder i
    xprop -root -spy WM_NAME >"$work/held.txt" 2>&1 &
    holder=$!
    started+=("$holder")
    for ((i = 0; i < wait_limit_tenths; i++)); do
        grep -q '^WM_NAME' "$work/held.txt" && return 0
        alive "$holder" || break
        sleep 0.1
    done
    fail "cannot hold the display $DISPLAY: $(cat "$work/held.txt")"
}

# Runs openbox with its stock settings, whatever the user has made of them. It names itself on
# the screen before it is ready for windows: wait for its own word that it is.
start_window_manager() {
    XDG_CONFIG_HOME="$work/config" openbox --sm-disable --startup "touch $work/wm-ready" \
        >"$work/wm.txt" 2>&1 &
    started+=($!)
    wait_until test -e "$work/wm-ready" || fail "openbox did not start: $(cat "$work/wm.txt")"
}

# Starts a copy in the background; its pid goes to $last_pid.
launch() {
    "$exe" 2>>"$work/stderr.txt" &
    last_pid=$!
    started+=("$last_pid")
}

visible_windows() {
    xdotool search --onlyvisible --name '^Tumblegem$' 2>/dev/null || true
}

# Where a window's inside is on screen, frame or no frame, and its size, as shell assignments
# to ${2}X, ${2}Y, ${2}WIDTH and ${2}HEIGHT.
window_origin() {
    xwininfo -id "$1" | sed -n -e "s/^ *Absolute upper-left \([XY]\): *\(-\{0,1\}[0-9]*\)$/${2:-}\1=\2/p" \
        -e "s/^ *Width: *\([0-9]*\)$/${2:-}WIDTH=\1/p" -e "s/^ *Height: *\([0-9]*\)$/${2:-}HEIGHT=\1/p"
}

# Waits for the game's window and sets $win and the view's origin on screen ($vx, $vy).
# Given the game's pid, gives up as soon as that game has ended.
find_window() {
    local pid=${1:-} i
    for ((i = 0; i < wait_limit_tenths; i++)); do
        win=$(visible_windows | head -n1)
        [[ -n "$win" ]] && break
        if [[ -n "$pid" ]] && ! alive "$pid"; then
            fail "game $pid ended before its window appeared; the games said: $(cat "$work/stderr.txt")"
        fi
        sleep 0.1
    done
    [[ -n "$win" ]] || fail "no Tumblegem window appeared"
    eval "$(window_origin "$win")"
    vx=$X
    vy=$((Y + 20)) # the view sits under the 20-pixel menu bar
    xdotool windowfocus --sync "$win" 2>/dev/null || true
}

shot() {
    import -window root "$1"
}

hold_display
