#!/usr/bin/env bash
# Twenty starts at once leave one running game, the owner of the game's name on the session
# bus; the others hand over and exit 0. A game killed outright does not stop the next start.
# Without a session bus every start runs on its own and says nothing of another copy. A start
# by another user neither raises the player's game nor hangs.
# Usage: xvfb-run -a tests/e2e/single_launch.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/lib.sh"

app_id=com.brightnook.Tumblegem
# The pid of the process owning the game's name on the bus; nothing when nobody does.
name_owner() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.GetConnectionUnixProcessID "string:$app_id" 2>/dev/null |
        sed -n 's/^ *uint32 //p'
}

starts=20
pids=()
for ((n = 0; n < starts; n++)); do
    launch
    pids+=("$last_pid")
done

# Wait until only one is left.
for ((i = 0; i < wait_limit_tenths * 2; i++)); do
    running=0
    for pid in "${pids[@]}"; do
        alive "$pid" && running=$((running + 1))
    done
    ((running <= 1)) && break
    sleep 0.1
done
((running == 1)) || fail "$running copies still running"

survivor=""
handed_over=0
for pid in "${pids[@]}"; do
    if alive "$pid"; then
        survivor=$pid
        continue
    fi
    rc=0
    wait "$pid" || rc=$?
    [[ "$rc" == 0 ]] || fail "a second start exited with $rc"
    handed_over=$((handed_over + 1))
done
echo "$handed_over starts handed over and exited 0; $survivor runs"
((handed_over == starts - 1)) || fail "expected $((starts - 1)) hand-overs"
find_window "$survivor"
[[ "$(visible_windows | wc -l)" == 1 ]] || fail "expected exactly one window"
[[ "$(name_owner)" == "$survivor" ]] || fail "$app_id is owned by '$(name_owner)', not the game $survivor"

# Killed outright, it cannot let go of the name; the bus does, and the next start must run.
kill -9 "$survivor"
wait "$survivor" 2>/dev/null || true
launch
next=$last_pid
win=""
find_window "$next"
alive "$next" || fail "the start after a killed game did not stay"
[[ "$(name_owner)" == "$next" ]] || fail "the start after a killed game does not own $app_id"

# A start that hands over shows nothing, so it has no fonts to read: fontconfig, asked to say
# what it loads, says nothing.
rc=0
FC_DEBUG=1024 "$exe" >"$work/handover.txt" 2>&1 || rc=$?
[[ "$rc" == 0 ]] || fail "a start beside the game exited with $rc: $(cat "$work/handover.txt")"
! grep -q "Loading config" "$work/handover.txt" ||
    fail "a start that handed over read the font configuration: $(head -n 3 "$work/handover.txt")"

# Another user's start, with the player's bus address and display (as root only: the bus lets
# nobody but its own user in). It runs a game of its own or cannot reach the display, but the
# player's window must not come forward, and nothing may wait for ever.
if [[ $(id -u) == 0 ]]; then
    xev -name other -geometry 100x100+400+50 >/dev/null 2>&1 &
    started+=($!)
    wait_until xdotool search --onlyvisible --name '^other$' >/dev/null || fail "no other window"
    other=$(xdotool search --onlyvisible --name '^other$' | head -n1)
    xdotool windowfocus --sync "$other"
    mkdir -p "$work/nobody/run"
    cp "${XAUTHORITY:?xvfb-run sets XAUTHORITY}" "$work/nobody/.Xauthority"
    chown -R 65534:65534 "$work/nobody"
    chmod 700 "$work/nobody/run"
    chmod 755 "$work" "$work/bin"
    HOME="$work/nobody" XDG_RUNTIME_DIR="$work/nobody/run" XAUTHORITY="$work/nobody/.Xauthority" \
        setpriv --reuid=65534 --regid=65534 --clear-groups "$exe" 2>"$work/nobody.txt" &
    stranger=$!
    started+=("$stranger")
    # Settled once it has shown a window of its own or ended.
    stranger_settled() {
        ! alive "$stranger" || [[ "$(visible_windows | wc -l)" == 2 ]]
    }
    wait_until stranger_settled || fail "another user's start neither ran nor ended"
    [[ "$(xdotool getwindowfocus)" != "$win" ]] || fail "another user's start raised the player's game"
    alive "$next" || fail "the player's game ended"
    [[ "$(name_owner)" == "$next" ]] || fail "the player's game lost $app_id"
    if alive "$stranger"; then
        echo "another user's start runs a game of its own"
        kill "$stranger"
        await_exit "$stranger"
    else
        echo "another user's start ended: $(cat "$work/nobody.txt")"
    fi
fi
xdotool windowfocus --sync "$win" key ctrl+q
await_exit "$next"
[[ "$status" == 0 ]] || fail "Ctrl+Q ended the game with status $status"

# No session bus (and none to start on the fly: the address is set, to nothing): two starts
# both run, and neither says a word about another copy.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus
# Qt 6.8 then leaks its unanswered desktop-portal question, which tests/lsan.supp names; the
# name is only on the leak's stack when it is unwound in full.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0
alone=()
for n in 1 2; do
    "$exe" 2>"$work/alone$n.txt" &
    alone+=($!)
    started+=($!)
done
wait_until eval '[[ "$(visible_windows | wc -l)" == 2 ]]' ||
    fail "expected two windows without a bus, saw $(visible_windows | wc -l): $(cat "$work"/alone*.txt)"
for n in 0 1; do
    alive "${alone[n]}" || fail "start $((n + 1)) without a bus ended"
    ! grep -i "another copy" "$work/alone$((n + 1)).txt" || fail "without a bus, start $((n + 1)) said so"
done
for win in $(visible_windows); do
    xdotool windowfocus --sync "$win" key ctrl+q
done
for pid in "${alone[@]}"; do
    await_exit "$pid"
    [[ "$status" == 0 ]] || fail "Ctrl+Q ended a game without a bus with status $status"
done
echo "stderr of the games:"
cat "$work/stderr.txt" "$work"/alone*.txt
echo "PASS"
