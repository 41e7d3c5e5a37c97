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
read -r _ desktop_file active maximizable decorated x y width height <<<"$(window_of "$game")"
echo "KWin's window for the game: $desktop_file, ${width}x$height at $x,$y," \
    "maximizable $maximizable, decorated $decorated"
[[ "$desktop_file" == "$app_id" ]] || fail "KWin matched the window to $desktop_file"
[[ "$maximizable" == false ]] || fail "KWin offers to maximize the window"
wait_until has_focus "$game" || fail "the game never had the focus (focused: $(focused))"

# KWin's title bar over the content (161 by 421 pixels): the kit draws none of its own.
[[ "$decorated" == true ]] || fail "KWin draws no frame around the game"
((height - 421 >= 16 && height - 421 < 60)) ||
    fail "not one title bar above the content: the frame is $height pixels high"
if kwin_can_shoot; then
    kwin_shot "$x" "$y" "$width" "$height" "$work/shots/window.png"
    [[ -n "${KWIN_SHOTS:-}" ]] && cp "$work/shots/window.png" "$KWIN_SHOTS/kwin.png"
    # The view's top left, under the bar and the 20-pixel menu bar, shows the title screen.
    view=$(convert "$work/shots/window.png" -format \
        "%[pixel:p{$(((width - 161) / 2)),$((height - 421 + 20))}]" info:)
    [[ "$view" == "srgb(220,220,255)" ]] ||
        fail "the view does not start under KWin's bar and the menu bar: $view"
    echo "the screenshot shows the view under KWin's title bar"
else
    echo "no screenshot: this KWin cannot load its screenshot effect here" \
        "($(grep -m1 'compositor not supported' "$work/kwin.txt" || echo 'no OpenGL compositing'))"
fi

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
