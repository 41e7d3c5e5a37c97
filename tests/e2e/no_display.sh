#!/usr/bin/env bash
# Without a display the game says so in one line: what the environment names, and a command
# that would start it on a virtual screen (xvfb-run, with the packages that bring it). Status 1.
# Usage: tests/e2e/no_display.sh PATH_TO_TUMBLEGEM
set -euo pipefail
exe=${1:?usage: $0 PATH_TO_TUMBLEGEM}
out=$(mktemp)
scratch=$(mktemp -d)
trap 'rm -rf "$out" "$scratch"' EXIT

# check WHAT WHY ADVICE [VAR=value...]: started as $program, the line says WHY and ends with
# (ADVICE).
program=$exe
check() {
    local what=$1 why=$2 advice=$3
    shift 3
    local rc=0
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY -u XDG_SESSION_TYPE \
        XDG_RUNTIME_DIR="$scratch" "$@" "$program" 2>"$out" >/dev/null || rc=$?
    echo "$what: status $rc: $(cat "$out")"
    [[ "$rc" == 1 ]] || { echo "FAIL: $what: expected status 1" >&2; exit 1; }
    [[ "$(wc -l <"$out")" == 1 ]] || { echo "FAIL: $what: expected one line" >&2; exit 1; }
    [[ "$(cat "$out")" == *"$why"* ]] || { echo "FAIL: $what: expected it to say: $why" >&2; exit 1; }
    [[ "$(cat "$out")" == *"($advice)" ]] || { echo "FAIL: $what: expected ($advice)" >&2; exit 1; }
    # Debian's minimal systems have no xvfb-run: the line names its packages.
    [[ "$(cat "$out")" == *"xvfb and xauth"* ]] ||
        { echo "FAIL: $what: the packages for xvfb-run are not named" >&2; exit 1; }
}

# Under xvfb-run Qt finds X11 unless QT_QPA_PLATFORM rules it out; then the advice chooses it.
x11="QT_QPA_PLATFORM=xcb xvfb-run -a $exe"
#     the case                   what the line says            the advice       the environment
check "no display set"           "DISPLAY and WAYLAND_DISPLAY are unset" "xvfb-run -a $exe"
check "unreachable display"      "cannot connect to the display" "xvfb-run -a $exe" DISPLAY=:97531
check "unreachable display, X11 chosen" \
                                 "cannot connect to the display" "xvfb-run -a $exe" \
                                 DISPLAY=:97531 QT_QPA_PLATFORM=xcb
check "X11 chosen, no display"   "DISPLAY is unset"              "xvfb-run -a $exe" QT_QPA_PLATFORM=xcb
check "unreachable Wayland display" \
                                 "cannot connect to the display" "xvfb-run -a $exe" WAYLAND_DISPLAY=none
check "neither answers"          "cannot connect to the display" "xvfb-run -a $exe" \
                                 WAYLAND_DISPLAY=none DISPLAY=:97531
check "Wayland chosen, none answering" \
                                 "QT_QPA_PLATFORM=wayland"       "$x11" \
                                 QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=none DISPLAY=:97531
check "Wayland chosen, none named" \
                                 "QT_QPA_PLATFORM=wayland"       "$x11" QT_QPA_PLATFORM=wayland
# Started by a name a shell would split, the advice still pastes as one command.
ln -s "$exe" "$scratch/my game"
program="$scratch/my game"
check "a name with a space"      "DISPLAY and WAYLAND_DISPLAY are unset" "xvfb-run -a '$scratch/my game'"
echo PASS
