#!/usr/bin/env bash
# At output scales 1, 1.5 and 2 under sway, what the window shows after moves, rotations,
# falls and clearings is what a full repaint of the same picture shows.
# Usage: tests/e2e/wayland_scale.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/wayland_lib.sh"

score_strip() {
    convert "$1" -gravity South -crop "0x$((20 * $2 / 161))+0+0" +repage "$3"
}

# Taking the focus away makes Qt paint the window whole as inactive; given back, whole again.
repaint_whole() {
    in_session swaymsg workspace 2 >/dev/null
    sleep 1
    in_session swaymsg workspace 1 >/dev/null
    focus_window "$win"
    sleep 1
}

# A 1000x1000 output: the window at twice its size fits on it.
start_sway 1000x1000
for scale in 1 1.5 2; do
    in_session swaymsg output HEADLESS-1 scale "$scale" >/dev/null
    launch
    game=$last_pid
    find_window "$game"
    shot "$work/shots/window.png" window
    width=$(identify -format %w "$work/shots/window.png")
    # grim cuts the window out of the output whole pixels wide.
    expected=$(awk -v s="$scale" 'BEGIN { printf "%d", 161 * s }')
    [[ "$width" == "$expected" ]] || fail "scale $scale: window $width pixels wide, not $expected"

    keys ctrl+n Return
    settled_shot "$work/shots/start.png" window
    score_strip "$work/shots/start.png" "$width" "$work/shots/score0.png"
    cleared=0 mismatched=0
    for ((round = 1; round <= 10 && !cleared; round++)); do
        keys Escape ctrl+n        # a new round
        keys "${round_keys[@]}" Return # Return pauses
        settled_shot "$work/shots/partial.png" window
        repaint_whole
        settled_shot "$work/shots/full.png" window
        changed=$(pixels_changed "$work/shots/partial.png" "$work/shots/full.png")
        # A trail stays in every round; one odd round on a loaded machine is retried once.
        if [[ "$changed" != 0 ]]; then
            cp "$work/shots/partial.png" "/tmp/wayland_scale_${scale}_partial.png"
            cp "$work/shots/full.png" "/tmp/wayland_scale_${scale}_full.png"
            ((++mismatched < 2)) ||
                fail "scale $scale, round $round: $changed pixels differ from a full repaint"
            echo "scale $scale, round $round: $changed pixels differ from a full repaint; once more"
            continue
        fi
        mismatched=0
        score_strip "$work/shots/partial.png" "$width" "$work/shots/score.png"
        [[ "$(pixels_changed "$work/shots/score0.png" "$work/shots/score.png")" != 0 ]] && cleared=1
    done
    ((cleared)) || fail "scale $scale: ten rounds without a clearing"
    echo "scale $scale: $width pixels wide, like a full repaint after $((round - 1)) round(s)"
    keys ctrl+q
    await_exit "$game"
    [[ "$status" == 0 ]] || fail "scale $scale: Ctrl+Q ended the game with status $status; it said: $(cat "$work/stderr.txt")"
done
echo "PASS"
