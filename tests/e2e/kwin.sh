#!/usr/bin/env bash
# Under a real KWin (headless), as a Plasma player meets the game: a native window KWin matches
# to the desktop entry, with KWin's own title bar, which offers no maximize for a window of one
# size. A second start with a launcher's activation token brings the game in front of the
# window that has the focus; one without a token leaves the focus where it is.
# Usage: [KWIN_SHOTS=FOLDER] tests/e2e/kwin.sh PATH_TO_TUMBLEGEM DESKTOP_ENTRY OTHER_WINDOW
source "$(dirname "$0")/desktop_lib.sh"

start_kwin
echo "$(in_session "$work/bin/kwin_wayland" --version) is up"

window_of() {
    kwin_windows | awk -v p="$1" '$1 == p'
}
has_window() {
    [[ -n "$(window_of "$1")" ]]
}
has_focus() {
    [[ "$(window_of "$1" | cut -d' ' -f3)" == true ]]
}
focused() {
    kwin_windows | awk '$3 == "true" { print $1, $2 }'
}

launch
game=$last_pid
wait_until has_window "$game" || fail "no game window appeared: $(cat "$work/stderr.txt")"
read -r _ desktop_file active maximizable x y width height id <<<"$(window_of "$game")"
echo "KWin's window for the game: $desktop_file, ${width}x$height at $x,$y," \
    "maximizable $maximizable"
[[ "$desktop_file" == "$app_id" ]] || fail "KWin matched the window to $desktop_file"
[[ "$maximizable" == false ]] || fail "KWin offers to maximize the window"
wait_until has_focus "$game" || fail "the game never had the focus (focused: $(focused))"

# KWin's title bar over the content (161 by 421 pixels): the kit draws none of its own.
kwin_shot "$x" "$y" "$width" "$height" "$work/shots/window.png"
[[ -n "${KWIN_SHOTS:-}" ]] && cp "$work/shots/window.png" "$KWIN_SHOTS/kwin.png"
read -r shot_width shot_height <<<"$(identify -format '%w %h' "$work/shots/window.png")"
echo "the window with KWin's frame: ${shot_width}x$shot_height"
((shot_height - 421 >= 16 && shot_width >= 161)) ||
    fail "no title bar from KWin above the content"
((shot_height - 421 < 60)) || fail "the kit drew a title bar of its own under KWin's"

# The other window takes the focus, and asks KWin for a token as a launcher does.
start_other_window
wait_until has_focus "$other" ||
    fail "the other window never took the focus: $(cat "$work/other.txt")"
has_token() {
    grep -q '^token ' "$work/other.txt"
}
wait_until has_token || fail "KWin gave the other window no token"
token=$(sed -n 's/^token //p' "$work/other.txt" | head -n1)

launch
await_exit "$last_pid"
[[ "$status" == 0 ]] ||
    fail "a start without a token exited with $status: $(cat "$work/stderr.txt")"
has_focus "$other" || fail "a start without a token took the focus (focused: $(focused))"
echo "a start without a token left the focus alone"

launch XDG_ACTIVATION_TOKEN="$token"
await_exit "$last_pid"
[[ "$status" == 0 ]] ||
    fail "a start with a token exited with $status: $(cat "$work/stderr.txt")"
wait_until has_focus "$game" ||
    fail "a start with a token did not bring the game forward (focused: $(focused))"
[[ "$(kwin_windows | awk -v id="$app_id" '$2 == id' | wc -l)" == 1 ]] ||
    fail "not one game window"
echo "a start with a token brought the game forward"
alive "$game" || fail "the game ended"
echo "PASS"
