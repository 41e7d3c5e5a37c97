#!/usr/bin/env bash
# The game as a native Wayland client under sway, driven by key presses through the seat:
# the title screen, a round with moves, rotation, drops, pause and resume, Escape, and the
# keys after the About box.
# Usage: tests/e2e/wayland_play.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/wayland_lib.sh"

title_bg=220,220,255
frame=30,20,200
well=255,255,255

start_sway 800x1000
launch
game=$last_pid
find_window "$game"
echo "window $win ($shell), view at $vx,$vy"
# Native, not through XWayland (which this sway does not even start).
[[ "$shell" == xdg_shell ]] || fail "the window's shell is $shell, not xdg_shell"

wait_for_pixel 80 300 "$title_bg"
wait_for_pixel 0 0 "$title_bg"

# The piece of a running round: the colors of its gems from the top, in the one column of
# the well ($1, a screenshot) that holds gems, as "COLUMN: r,g,b r,g,b r,g,b". A column is
# seen at its cells' centers, rows 2 to 19 (the first row is hidden under the frame).
piece() {
    local column row color found=
    for ((column = 0; column < 7; column++)); do
        local gems=()
        for ((row = 2; row <= 19; row++)); do
            color=$(view_pixel "$1" $((20 * column + 20)) $((row * 20 - 21)))
            [[ "$color" != "$well" ]] && gems+=("$color")
        done
        if ((${#gems[@]} > 0)); then
            [[ -z "$found" ]] || { echo "gems in two columns"; return; }
            found="$column: ${gems[*]}"
        fi
    done
    echo "$found"
}

# Waits until the round is paused and its picture settled; leaves the shot in $1.
paused_shot() {
    settled_shot "$1"
    [[ "$(view_pixel "$1" 0 0)" == "$frame" ]] || fail "no round on screen"
}

# Ctrl+N starts a round: the frame and the empty well appear.
keys ctrl+n
wait_for_pixel 0 0 "$frame"
wait_for_pixel 80 300 "$well"

# Moves, each seen with the round paused (Enter): the piece enters in column 3, its bottom
# gem in the first row shown; three rows down all three gems show.
#   key          column after
moves=(
    "Left         2"
    "Left         1"
    "Right        2"
    "Right        3"
    "Right        4"
)
# The piece falls into view by itself; the round is paused once its bottom gem reaches row 4,
# where all three show (Down is checked below, where a lost press cannot pass for a slow one).
entered() {
    shot "$work/shots/entering.png"
    [[ "$(view_pixel "$work/shots/entering.png" 80 59)" != "$well" ]]
}
wait_until entered || fail "the new piece never reached row 4 of column 3"
keys Return
paused_shot "$work/shots/start.png"
start=$(piece "$work/shots/start.png")
[[ "$start" =~ ^3:( [0-9,]+){3}$ ]] || fail "the new piece is not three gems in column 3: $start"
echo "new piece $start"
for move in "${moves[@]}"; do
    read -r key column <<<"$move"
    keys Return "$key" Return
    paused_shot "$work/shots/move.png"
    now=$(piece "$work/shots/move.png")
    [[ "$now" == "$column: ${start#*: }" ]] || fail "after $key the piece is '$now', not in column $column"
    echo "$key: $now"
done

# Up cycles the piece's three gems: the same three colors in another order (unless all three
# are alike, when no order differs).
read -r -a before <<<"${now#*: }"
keys Return Up Return
paused_shot "$work/shots/rotated.png"
now=$(piece "$work/shots/rotated.png")
read -r -a after <<<"${now#*: }"
echo "Up: ${before[*]} -> ${after[*]}"
((${#after[@]} == 3)) || fail "after Up the piece is '$now'"
down="${before[2]} ${before[0]} ${before[1]}" up="${before[1]} ${before[2]} ${before[0]}"
if [[ "${before[0]}" != "${before[1]}" || "${before[1]}" != "${before[2]}" ]]; then
    [[ "${after[*]}" == "$down" || "${after[*]}" == "$up" ]] || fail "Up did not cycle the gems"
fi

# Down drops the piece a row per press, on top of the pulses: eight presses from wherever it
# is now put its bottom gem at least eight rows lower.
lowest_row() {
    local row lowest=-1
    for ((row = 2; row <= 19; row++)); do
        [[ "$(view_pixel "$1" 100 $((row * 20 - 21)))" != "$well" ]] && lowest=$row
    done
    echo "$lowest"
}
was=$(lowest_row "$work/shots/rotated.png")
keys Return Down Down Down Down Down Down Down Down Return
paused_shot "$work/shots/paused1.png"
lowest=$(lowest_row "$work/shots/paused1.png")
echo "Down x8: bottom gem from row $was to row $lowest"
((lowest >= was + 8 || lowest == 19)) || fail "Down did not drop the piece (row $was to $lowest)"

# Paused: nothing moves for a second and a half (a running round falls every 0.4 s).
sleep 1.5
shot "$work/shots/paused2.png"
changed=$(pixels_changed "$work/shots/paused1.png" "$work/shots/paused2.png")
[[ "$changed" == 0 ]] || fail "$changed pixels changed while paused"

# Enter resumes: the picture changes again.
keys Return
resumed() {
    shot "$work/shots/running.png"
    [[ "$(pixels_changed "$work/shots/paused2.png" "$work/shots/running.png")" != 0 ]]
}
wait_until resumed || fail "nothing moved after resuming"
echo "Enter paused and resumed"

# Escape ends the round: back to the title screen.
keys Escape
wait_for_pixel 80 300 "$title_bg"
echo "Escape ended the round"

# Ctrl+A opens the About box as a window of its own; closed by Enter, the keys reach the
# view again: a new round's piece goes to the first column.
window_count() {
    [[ "$(game_windows | jq -s 'map(select(.visible)) | length')" == "$1" ]]
}
keys ctrl+a
wait_until window_count 2 || fail "no About box after Ctrl+A"
game_windows | jq -r 'select(.visible) | .name'
keys Return
wait_until window_count 1 || fail "the About box did not close on Enter"
keys ctrl+n
wait_for_pixel 0 0 "$frame"
in_first_column() {
    keys Left Left Left
    shot "$work/shots/probe.png"
    [[ "$(piece "$work/shots/probe.png")" == "0: "* ]]
}
wait_until in_first_column || fail "Left did not reach the view after the About box"
echo "keys reach the view after the About box"

keys ctrl+q
await_exit "$game"
[[ "$status" == 0 ]] || fail "Ctrl+Q ended the game with status $status; it said: $(cat "$work/stderr.txt")"
echo "stderr of the game:"
cat "$work/stderr.txt"
echo "PASS"
