#!/usr/bin/env bash
# Twenty starts at once leave one running game; the others hand over and exit 0. A game
# killed outright does not stop the next start, nor does a runtime folder that cannot hold the
# lock.
# Usage: xvfb-run -a tests/e2e/single_launch.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/lib.sh"

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

# Killed outright, it leaves its lock file behind; the next start must not be blocked.
kill -9 "$survivor"
wait "$survivor" 2>/dev/null || true
ls "$XDG_RUNTIME_DIR"/*.lock >/dev/null || fail "expected the killed game's lock file"
launch
next=$last_pid
win=""
find_window "$next"
alive "$next" || fail "the start after a killed game did not stay"
xdotool key ctrl+q
await_exit "$next"
[[ "$status" == 0 ]] || fail "Ctrl+Q ended the game with status $status"

# A runtime folder nobody can write to: the lock goes to the player's own cache folder and a
# second start still hands over. With no private folder at all, the game starts on its own
# without a word about another copy (Qt may still remark on the runtime folder).
export XDG_RUNTIME_DIR=/proc/self/fd XDG_CACHE_HOME="$work/cache"
for place in cache nowhere; do
    "$exe" 2>"$work/alone.txt" &
    next=$!
    started+=("$next")
    find_window "$next"
    ! grep -i "another copy" "$work/alone.txt" || fail "with the lock's folder in $place, it said so"
    if [[ "$place" == cache ]]; then
        [[ "$(stat -c %a "$work/cache/tumblegem")" == 700 ]] || fail "the cache folder is not private"
        ls "$work/cache/tumblegem"/*.lock >/dev/null || fail "no lock in the cache folder"
        rc=0
        timeout 60 "$exe" 2>>"$work/stderr.txt" || rc=$?
        [[ "$rc" == 0 ]] || fail "a second start beside a lock in the cache folder exited with $rc"
    fi
    xdotool windowfocus --sync "$win" key ctrl+q
    await_exit "$next"
    export XDG_CACHE_HOME=/proc/self/fd
done
echo "stderr of the games:"
cat "$work/stderr.txt"
echo "PASS"
