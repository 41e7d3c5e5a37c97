# Shared by the Wayland tests: a headless sway of the test's own, the game on it as a native
# Wayland client, screenshots, pixels and keys. Sourced, with $1 the game's executable.
#
# Keys: Debian 12's wtype (0.4) reads all of standard input before it types anything, and
# what it types from there are characters (Return and Escape have one, the arrows do not), so
# no single wtype process can be fed keys step by step. Every wtype adds a virtual keyboard to
# the seat and removes it when it ends; were it the seat's only keyboard, the seat would lose
# and regain its keyboard each time, and the keys come before the client has taken up the new
# one (tried: without a holder the first Ctrl+N never reached the game, three runs of three). So one wtype holds a keyboard for the whole test (`wtype -` on a pipe that stays open)
# and each step sends its keys with a short `wtype -k KEY ...` beside it: the seat keeps a
# keyboard throughout and only its keymap changes, which the client learns before the keys.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

exe_source=${1:?usage: $0 PATH_TO_TUMBLEGEM}
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY XAUTHORITY

# sway will not run as root: root runs it, and everything that talks to it, as nobody.
as_player=()
player=$(id -u)
if [[ $player == 0 ]]; then
    player=65534
    as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# The player's home, runtime folder (the compositor's socket, the session bus) and the
# program's folder (the score file lands there), all the player's; the shots are read back by
# whoever runs the test.
work=$(mktemp -d)
chmod 755 "$work"
mkdir -p "$work/home" "$work/run" "$work/bin" "$work/shots" "$work/empty"
chmod 700 "$work/run"
cp "$exe_source" "$work/bin/tumblegem"
exe="$work/bin/tumblegem"
chown -R "$player" "$work/home" "$work/run" "$work/bin" "$work/shots"
started=()

cleanup() {
    local pid
    for pid in "${started[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
    done
    exec 8>&- 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Runs a command as the player in the session: only what the session sets, so nothing of
# the caller's display leaks in.
player_env=(HOME="$work/home" XDG_RUNTIME_DIR="$work/run" PATH=/usr/local/bin:/usr/bin:/bin
            LANG=C.UTF-8)
# The sanitizers' settings of a sanitized build (the leak suppressions among them) go along.
# Qt's Wayland plugin leaves its proxies of the compositor's globals to the end of the process;
# tests/lsan.supp names the plugin's namespace, which is only on the leaks' stacks when they are
# unwound in full.
player_env+=("ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}fast_unwind_on_malloc=0")
# The suppressions go along as a copy the player can read: the project may lie in a folder
# only its owner can enter.
if [[ -n "${LSAN_OPTIONS:-}" ]]; then
    lsan=$LSAN_OPTIONS
    if [[ "$lsan" =~ (^|:)suppressions=([^:]*) ]]; then
        cp "${BASH_REMATCH[2]}" "$work/lsan.supp"
        chmod 644 "$work/lsan.supp"
        lsan=${lsan/suppressions=${BASH_REMATCH[2]}/suppressions=$work/lsan.supp}
    fi
    player_env+=("LSAN_OPTIONS=$lsan")
fi
[[ -n "${UBSAN_OPTIONS:-}" ]] && player_env+=("UBSAN_OPTIONS=$UBSAN_OPTIONS")
in_session() {
    env -i "${player_env[@]}" "${as_player[@]}" "$@"
}

# Starts sway on a headless output of WIDTHxHEIGHT pixels, without XWayland, with the config
# lines given after the size; a private session bus beside it; and the keyboard holder.
start_sway() {
    local size=$1 line
    shift
    {
        echo "xwayland disable"
        echo "output HEADLESS-1 resolution $size position 0 0"
        echo "default_border none"
        echo "default_floating_border none"
        echo "focus_follows_mouse no"
        for line in "$@"; do echo "$line"; done
    } >"$work/sway.conf"
    chmod 644 "$work/sway.conf"
    env -i "${player_env[@]}" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman "${as_player[@]}" sway -c "$work/sway.conf" >"$work/sway.txt" 2>&1 &
    sway_pid=$!
    started+=("$sway_pid")
    sway_socket() {
        local s
        for s in "$work"/run/sway-ipc.*.sock; do
            [[ -S "$s" && -S "$work/run/wayland-1" ]] || return 1
            player_env+=(SWAYSOCK="$s" WAYLAND_DISPLAY=wayland-1)
            return 0
        done
        return 1
    }
    wait_until sway_socket || fail "sway did not start: $(cat "$work/sway.txt")"
    wait_until in_session swaymsg -t get_outputs >/dev/null 2>&1 ||
        fail "sway does not answer: $(cat "$work/sway.txt")"

    # Not through in_session: a function run in the background is a shell of its own, and
    # its pid would not be the daemon's.
    env -i "${player_env[@]}" "${as_player[@]}" dbus-daemon --session \
        --address="unix:path=$work/run/bus" --nofork --nopidfile >"$work/dbus.txt" 2>&1 &
    started+=($!)
    wait_until test -S "$work/run/bus" || fail "no session bus: $(cat "$work/dbus.txt")"
    player_env+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$work/run/bus")

    mkfifo "$work/keyboard"
    chmod 644 "$work/keyboard"
    env -i "${player_env[@]}" "${as_player[@]}" wtype - <"$work/keyboard" >"$work/wtype.txt" 2>&1 &
    keyboard_pid=$!
    started+=("$keyboard_pid")
    exec 8>"$work/keyboard"
    wait_until has_keyboard || fail "the keyboard holder did not join the seat: $(cat "$work/wtype.txt")"
}

has_keyboard() {
    [[ "$(in_session swaymsg -t get_inputs | jq '[.[] | select(.type == "keyboard")] | length')" -ge 1 ]]
}

# Sends keys, each a name for wtype -k (Left, Return, Escape, ...) or MOD+key (ctrl+n).
keys() {
    local args=() k
    for k in "$@"; do
        if [[ "$k" == *+* ]]; then
            args+=(-M "${k%%+*}" -k "${k#*+}" -m "${k%%+*}")
        else
            args+=(-k "$k")
        fi
    done
    alive "$keyboard_pid" || fail "the keyboard holder ended: $(cat "$work/wtype.txt")"
    in_session wtype "${args[@]}" || fail "wtype ${args[*]} failed"
}

# Starts a copy of the game as a Wayland client: WAYLAND_DISPLAY set, DISPLAY unset, no
# platform chosen. Its pid goes to $last_pid.
launch() {
    env -i "${player_env[@]}" XDG_SESSION_TYPE=wayland "$@" "${as_player[@]}" "$exe" \
        2>>"$work/stderr.txt" &
    last_pid=$!
    started+=("$last_pid")
}

# The game's windows as sway sees them, one JSON object a line.
game_windows() {
    in_session swaymsg -t get_tree |
        jq -c '.. | objects | select(.app_id? == "com.brightnook.Tumblegem")'
}

# Waits for the game's window (given its pid, gives up when that game has ended) and sets:
# $win (sway's id for it), $shell, the output's $scale, the window's logical rectangle on the
# output ($wx $wy $wwidth $wheight) and the view's origin in the output's pixels ($vx, $vy).
find_window() {
    local pid=${1:-} i json
    json=
    for ((i = 0; i < wait_limit_tenths; i++)); do
        json=$(game_windows | jq -c 'select(.visible)' | head -n1)
        [[ -n "$json" ]] && break
        if [[ -n "$pid" ]] && ! alive "$pid"; then
            fail "game $pid ended before its window appeared; it said: $(cat "$work/stderr.txt")"
        fi
        sleep 0.1
    done
    [[ -n "$json" ]] || fail "no Tumblegem window appeared"
    eval "$(jq -r '"win=\(.id) shell=\(.shell) wx=\(.rect.x + .window_rect.x)
        wy=\(.rect.y + .window_rect.y) wwidth=\(.window_rect.width)
        wheight=\(.window_rect.height)"' <<<"$json")"
    scale=$(in_session swaymsg -t get_outputs | jq -r '.[] | select(.name == "HEADLESS-1") | .scale')
    # The view sits under the 20-pixel menu bar.
    vx=$(awk -v a="$wx" -v s="$scale" 'BEGIN { printf "%d", a * s }')
    vy=$(awk -v a="$wy" -v s="$scale" 'BEGIN { printf "%d", (a + 20) * s }')
    in_session swaymsg "[con_id=$win] focus" >/dev/null
}

# Gives the keyboard focus to the window sway knows as $1.
focus_window() {
    in_session swaymsg "[con_id=$1] focus" >/dev/null || fail "cannot focus window $1"
}

# The whole output in $1; with a second argument "window", only the game's window.
shot() {
    local into="$work/shots/grim.png"
    if [[ "${2:-}" == window ]]; then
        in_session grim -g "$wx,$wy ${wwidth}x$wheight" "$into" || fail "grim failed"
    else
        in_session grim "$into" || fail "grim failed"
    fi
    mv "$into" "$1"
}

# Waits for the picture to stop changing and leaves it in $1 ("window": the window alone).
settled_shot() {
    local i
    shot "$1" "${2:-}"
    for ((i = 0; i < wait_limit_tenths; i++)); do
        sleep 0.3
        shot "$work/shots/next.png" "${2:-}"
        [[ "$(pixels_changed "$1" "$work/shots/next.png")" == 0 ]] && return 0
        cp "$work/shots/next.png" "$1"
    done
    fail "the picture never stopped changing"
}

# Starts weston, which offers no server-side decorations (as GNOME's mutter), on a headless
# output of WIDTH and HEIGHT pixels in a plain gray, so the only thing drawn on it is the game.
# Screenshots are weston-screenshooter's, which weston serves only with --debug; grim does
# not work there.
start_weston() {
    local version
    version=$(weston --version | grep -o '[0-9]\+' | head -n1)
    local options=(--socket=wayland-1 --width="$1" --height="$2" --idle-time=0 --debug
                   --config="$work/weston.ini")
    if ((version >= 12)); then
        options+=(--backend=headless --renderer=pixman)
    else
        options+=(--backend=headless-backend.so --use-pixman)
    fi
    printf '[shell]\npanel-position=none\nbackground-color=0xff808080\n' >"$work/weston.ini"
    chmod 644 "$work/weston.ini"
    env -i "${player_env[@]}" "${as_player[@]}" weston "${options[@]}" >"$work/weston.txt" 2>&1 &
    started+=($!)
    wait_until test -S "$work/run/wayland-1" || fail "weston did not start: $(cat "$work/weston.txt")"
    player_env+=(WAYLAND_DISPLAY=wayland-1)
}

# The whole weston output in $1.
weston_shot() {
    local made
    rm -f "$work"/shots/wayland-screenshot-*.png
    in_session env -C "$work/shots" weston-screenshooter || fail "weston-screenshooter failed"
    made=("$work"/shots/wayland-screenshot-*.png)
    [[ -f "${made[0]}" ]] || fail "weston-screenshooter left no picture"
    mv "${made[0]}" "$1"
}

# Waits for something other than the background to show on weston and to stop changing, and
# sets the rectangle it covers: $wx $wy $wwidth $wheight. The screenshot is left in $1.
find_weston_window() {
    local i box last=
    for ((i = 0; i < wait_limit_tenths; i++)); do
        weston_shot "$1"
        box=$(convert "$1" -trim -format '%w %h %X %Y' info: 2>/dev/null)
        [[ "${box%% *}" -gt 1 && "$box" == "$last" &&
            "$(pixels_changed "$1" "$work/shots/last.png")" == 0 ]] && break
        last=$box
        cp "$1" "$work/shots/last.png"
        sleep 0.3
    done
    [[ "${box%% *}" -gt 1 && "$box" == "$last" ]] || fail "no window settled on weston"
    read -r wwidth wheight wx wy <<<"${box//+/}"
}

# Checks the kit's title bar in a picture of the game's window alone ($1): the bar above the
# content (161 by 421 pixels) shows the whole title, minimize and close, and no maximize. Sets
# $bar_height.
#
# The bar's glyphs, seen from above: the bar's rows inside its edges, in gray. Ink is what
# differs from the bar's own color (its most common gray) by more than a sixth. Each run of
# columns holding ink, with at least four columns without before the next, is one thing drawn:
# the title, then one run for each button. A run's shape: its width and whether its edges are
# whole lines of ink, as a square's are (maximize) and an X's or a bar's are not.
check_title_bar() {
    local width height glyphs runs title from to
    read -r width height <<<"$(identify -format '%w %h' "$1")"
    bar_height=$((height - 421))
    ((bar_height >= 16)) || fail "no title bar above the content: the window is $height pixels high"
    convert "$1" -crop "$((width - 4))x$((bar_height - 6))+2+3" +repage -colorspace gray \
        -depth 8 -compress none pgm:- >"$work/shots/bar.pgm"
    glyphs=$(awk '
        NR == 2 { width = $1; height = $2; next }
        NR > 3 { for (i = 1; i <= NF; i++) { gray[n % width, int(n / width)] = $i; count[$i]++; n++ } }
        END {
            for (g in count) if (count[g] > count[bar] || bar == "") bar = g
            for (x = 0; x < width; x++) for (y = 0; y < height; y++)
                pixel[x, y] = (gray[x, y] - bar > 42 || bar - gray[x, y] > 42)
            start = -1; gap = 0
            for (x = 0; x <= width; x++) {
                dark = 0
                for (y = 0; y < height; y++) if (x < width && pixel[x, y]) dark = 1
                if (dark) { if (start < 0) start = x; last = x; gap = 0; continue }
                if (start >= 0 && ++gap >= 4 || x == width && start >= 0) {
                    top = -1; bottom = -1
                    for (y = 0; y < height; y++) for (c = start; c <= last; c++) if (pixel[c, y]) {
                        if (top < 0) top = y; bottom = y }
                    left = 1; right = 1; across = 1
                    for (y = top; y <= bottom; y++) { left = left && pixel[start, y]; right = right && pixel[last, y] }
                    for (c = start; c <= last; c++) across = across && pixel[c, top] && pixel[c, bottom]
                    shape = (bottom - top >= 4 && left && right && across) ? "square" : "other"
                    printf "%d-%d %s\n", start, last, shape
                    start = -1
                }
            }
        }' "$work/shots/bar.pgm")
    echo "the title bar's glyph runs (x from the bar's left, shape):"
    echo "$glyphs"
    runs=$(grep -c . <<<"$glyphs" || true)
    grep -q square <<<"$glyphs" && fail "the title bar shows a maximize button (a square)"
    # The title, minimize, close.
    [[ "$runs" == 3 ]] || fail "$runs things in the title bar, not the title and two buttons"
    # Cut to "Tumbl" or "Tumble" the title is under 50 pixels wide; "Tumblegem" takes half as
    # much again.
    title=$(head -n1 <<<"$glyphs")
    from=${title%%-*} to=${title#*-}
    to=${to%% *}
    echo "the title is $((to - from + 1)) pixels wide"
    ((to - from + 1 >= 60)) || fail "the title is cut: $((to - from + 1)) pixels wide"
}
