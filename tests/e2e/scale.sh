#!/usr/bin/env bash
# At every scale factor, what the window shows after moves, rotations, falls and clearings is
# what a full repaint of the same picture shows: no trail of a passing piece stays on screen.
# Usage: xvfb-run -a -s "-screen 0 1024x1300x24" tests/e2e/scale.sh PATH_TO_TUMBLEGEM
source "$(dirname "$0")/lib.sh"

# How the scale is set, and the window's width in device pixels it gives (161 view pixels).
cases=(
    "QT_SCALE_FACTOR=1     161"
    "QT_SCALE_FACTOR=1.25  201"
    "QT_SCALE_FACTOR=1.33  214"
    "QT_SCALE_FACTOR=1.5   242"
    "QT_SCALE_FACTOR=1.75  282"
    "QT_SCALE_FACTOR=2     322"
    "QT_SCALE_FACTOR=2.25  362"
    "QT_SCALE_FACTOR=2.5   403"
    "QT_SCALE_FACTOR=3     483"
    "Xft.dpi:120           201"
    "QT_FONT_DPI=120       201"
)

# Waits for the window to stop changing and leaves its picture in $1.
settled_shot() {
    local i
    import -window "$win" "$1"
    for ((i = 0; i < wait_limit_tenths; i++)); do
        sleep 0.3
        import -window "$win" "$work/shots/next.png"
        [[ "$(pixels_changed "$1" "$work/shots/next.png")" == 0 ]] && return 0
        cp "$work/shots/next.png" "$1"
    done
    fail "the window never stopped changing"
}

score_strip() {
    convert "$1" -gravity South -crop "0x$((20 * $2 / 161))+0+0" +repage "$3"
}

for case in "${cases[@]}"; do
    read -r setting width <<<"$case"
    case $setting in
    Xft.dpi:*) xrdb -nocpp -merge <<<"Xft.dpi: ${setting#Xft.dpi:}" ;;
    *) export "${setting?}" ;;
    esac
    launch
    game=$last_pid
    find_window "$game"
    [[ "$WIDTH" == "$width" ]] || fail "$setting: window $WIDTH pixels wide, not $width"

    xdotool key ctrl+n Return
    settled_shot "$work/shots/start.png"
    score_strip "$work/shots/start.png" "$width" "$work/shots/score0.png"
    cleared=0 mismatched=0
    for ((round = 1; round <= 10 && !cleared; round++)); do
        xdotool key Escape ctrl+n # a new round
        xdotool key --delay 15 "${round_keys[@]}" Return # Return pauses
        settled_shot "$work/shots/partial.png"
        # Unmapped, the window loses the focus; Qt takes it as inactive a moment later (the
        # wait) and repaints it whole. Mapped again, it is only shown as it was.
        xdotool windowunmap --sync "$win"
        xdotool windowmap --sync "$win"
        sleep 1
        settled_shot "$work/shots/full.png"
        changed=$(pixels_changed "$work/shots/partial.png" "$work/shots/full.png")
        # A trail stays in every round; one odd round on a loaded machine is retried once.
        if [[ "$changed" != 0 ]]; then
            ((++mismatched < 2)) ||
                fail "$setting, round $round: $changed pixels differ from a full repaint"
            echo "$setting, round $round: $changed pixels differ from a full repaint; once more"
            xdotool windowfocus --sync "$win"
            continue
        fi
        mismatched=0
        xdotool windowfocus --sync "$win"
        score_strip "$work/shots/partial.png" "$width" "$work/shots/score.png"
        [[ "$(pixels_changed "$work/shots/score0.png" "$work/shots/score.png")" != 0 ]] && cleared=1
    done
    ((cleared)) || fail "$setting: ten rounds without a clearing"
    echo "$setting: like a full repaint after $((round - 1)) round(s)"

    xdotool key ctrl+q
    await_exit "$game"
    case $setting in
    Xft.dpi:*) xrdb -remove ;;
    *) unset "${setting%%=*}" ;;
    esac
done
echo "PASS"
