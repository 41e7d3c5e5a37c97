# Shared by tests/e2e/lib.sh (X11) and tests/e2e/wayland_lib.sh: failing, waiting, pixels.
# Sourced; each library defines shot FILE for its display, and find_window sets the view's
# origin on the screen ($vx, $vy).

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every wait polls for a condition and gives up after a generous while: nothing here is
# asserted about speed.
wait_limit_tenths=300

# Polls until a command succeeds; false if it never did.
wait_until() {
    local i
    for ((i = 0; i < wait_limit_tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

alive() {
    kill -0 "$1" 2>/dev/null
}

# Waits for a process of ours to end; its exit status goes to $status.
await_exit() {
    local i
    for ((i = 0; i < wait_limit_tenths; i++)); do
        alive "$1" || break
        sleep 0.1
    done
    alive "$1" && fail "process $1 did not end"
    status=0
    wait "$1" || status=$?
}

# The color of view pixel (x, y) in a screenshot, as "r,g,b".
view_pixel() {
    local c
    c=$(convert "$1" -format "%[pixel:p{$(($2 + vx)),$(($3 + vy))}]" info:)
    c=${c#srgb(}
    echo "${c%)}"
}

# Polls until view pixel (x, y) has color "r,g,b".
wait_for_pixel() {
    local i
    for ((i = 0; i < wait_limit_tenths; i++)); do
        shot "$work/shots/poll.png"
        [[ "$(view_pixel "$work/shots/poll.png" "$1" "$2")" == "$3" ]] && return 0
        sleep 0.1
    done
    fail "view pixel $1,$2 never became $3 (last $(view_pixel "$work/shots/poll.png" "$1" "$2"))"
}

# The number of differing pixels between two screenshots.
pixels_changed() {
    compare -metric AE "$1" "$2" null: 2>&1 || true
}

# The keys of a round that leaves every column changed: each piece goes to another column,
# rotating on the way, and falls to the bottom.
round_keys=()
for moves in "Left Left Left" "Left Left" "Left" "" "Right" "Right Right" "Right Right Right"; do
    read -ra shifts <<<"$moves"
    round_keys+=("${shifts[@]}" Up)
    for ((i = 0; i < 18; i++)); do round_keys+=(Down); done
done
