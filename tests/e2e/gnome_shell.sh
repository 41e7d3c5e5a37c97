#!/usr/bin/env bash
# Under a real GNOME Shell (headless), as a GNOME player meets the game: launched from its
# desktop entry through the shell's launcher, a native window the shell matches to the entry,
# with the kit's own title bar (mutter draws none): the whole title, minimize and close, no
# maximize, dimmed while another window has the focus. Launched again through the launcher
# while another window has the focus, the one game window comes forward and takes it; started
# again from a terminal, with no token, the game changes nothing and the start exits 0.
# Usage: [GNOME_SHOTS=FOLDER] tests/e2e/gnome_shell.sh PATH_TO_TUMBLEGEM DESKTOP_ENTRY \
#            OTHER_WINDOW
source "$(dirname "$0")/desktop_lib.sh"

# What the steps after it still show is checked too: these failures are counted, and the test
# fails at its end.
failures=0
check() {
    "${@:2}" || { echo "FAIL: $1" >&2; failures=$((failures + 1)); }
}

start_gnome_shell
echo "$(gnome-shell --version) is up"

game_windows() {
    shell_windows | awk -v id="$app_id.desktop" '$2 == id'
}
# This test's copies of the game: other tests may run the game as the same user.
game_pids() {
    pgrep -u "$player" -f -x "$exe" || true
}
has_focus() {
    [[ "$(shell_windows | awk -v p="$1" '$1 == p { print $3 }')" == true ]]
}
focused() {
    shell_windows | awk '$3 == "true" { print $1, $2 }'
}

# The first launch: a window, matched to the entry.
shell_launch
has_game_window() {
    [[ -n "$(game_windows)" ]]
}
wait_until has_game_window || fail "no game window appeared; the shell has: $(shell_windows)"
read -r game _ <<<"$(game_windows)"
echo "the shell matched the game's window (pid $game) to $app_id.desktop"
wait_until has_focus "$game" || fail "the game never had the focus (focused: $(focused))"

# The other window, beside the game; it takes the focus.
start_other_window
shell_windows_has() {
    shell_windows | awk -v p="$1" '$1 == p { found = 1 } END { exit !found }'
}
wait_until shell_windows_has "$other" ||
    fail "the other window never showed: $(cat "$work/other.txt")"
# Below the shell's notifications (a headless shell says the screen cannot lock).
shell_move "$game" 100 160
shell_move "$other" 600 160
shell_focus "$game"
wait_until has_focus "$game" || fail "cannot give the game the focus"

# The title bar, focused and not: mutter leaves it to the program.
window_box() {
    read -r _ _ _ wx wy wwidth wheight <<<"$(shell_windows | awk -v p="$1" '$1 == p')"
}
window_box "$game"
echo "the game's window: ${wwidth}x$wheight at $wx,$wy"
settled_window() {
    local i
    shell_shot "$work/shots/screen.png"
    convert "$work/shots/screen.png" -crop "${wwidth}x$wheight+$wx+$wy" +repage "$1"
    for ((i = 0; i < wait_limit_tenths; i++)); do
        sleep 0.3
        shell_shot "$work/shots/screen.png"
        convert "$work/shots/screen.png" -crop "${wwidth}x$wheight+$wx+$wy" +repage \
            "$work/shots/next.png"
        [[ "$(pixels_changed "$1" "$work/shots/next.png")" == 0 ]] && return 0
        cp "$work/shots/next.png" "$1"
    done
    fail "the window never stopped changing"
}
settled_window "$work/shots/focused.png"
check_title_bar "$work/shots/focused.png"
shell_focus "$other"
wait_until has_focus "$other" || fail "the other window never took the focus (focused: $(focused))"
settled_window "$work/shots/unfocused.png"
if [[ -n "${GNOME_SHOTS:-}" ]]; then
    cp "$work/shots/focused.png" "$GNOME_SHOTS/gnome-focused.png"
    cp "$work/shots/unfocused.png" "$GNOME_SHOTS/gnome-unfocused.png"
    cp "$work/shots/screen.png" "$GNOME_SHOTS/gnome-screen.png"
fi
# Dimmed: the bar's darkest ink is lighter without the focus.
ink() {
    convert "$1" -crop "${wwidth}x$((bar_height - 2))+0+0" -colorspace gray \
        -format '%[fx:int(minima*255)]' info:
}
echo "the title bar's darkest ink: $(ink "$work/shots/focused.png") focused," \
    "$(ink "$work/shots/unfocused.png") not"
dimmed() {
    (($(ink "$work/shots/unfocused.png") > $(ink "$work/shots/focused.png") + 40))
}
check "the title bar does not dim while another window has the focus" dimmed

# A second launch through the launcher, with the other window focused.
shell_launch
check "a second launch from the entry did not bring the game forward" wait_until has_focus "$game"
one_game() {
    [[ "$(game_pids | wc -l)" == 1 ]]
}
wait_until one_game ||
    fail "the second launch keeps running: $(ps -o pid,stat,args -p "$(game_pids | paste -sd,)")"
[[ "$(game_windows | wc -l)" == 1 ]] || fail "not one game window: $(game_windows)"
echo "after a second launch from the entry, one game window; focused: $(focused)"

# A second start from a terminal, with no token, with the other window focused.
shell_focus "$other"
wait_until has_focus "$other" || fail "the other window never took the focus back"
launch
await_exit "$last_pid"
[[ "$status" == 0 ]] ||
    fail "a start from a terminal exited with $status: $(cat "$work/stderr.txt")"
has_focus "$other" || fail "a start without a token took the focus (focused: $(focused))"
[[ "$(game_windows | wc -l)" == 1 ]] || fail "not one game window: $(game_windows)"
echo "a start from a terminal changed nothing and exited 0"
alive "$game" || fail "the game ended"
((failures == 0)) || exit 1
echo "PASS"
