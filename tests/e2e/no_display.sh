#!/usr/bin/env bash
# Without a display the game says so in one line, names the command that would start it under
# xvfb-run and the packages that bring it, and exits with status 1.
# Usage: tests/e2e/no_display.sh PATH_TO_TUMBLEGEM
set -euo pipefail
exe=${1:?usage: $0 PATH_TO_TUMBLEGEM}
out=$(mktemp)
scratch=$(mktemp -d)
trap 'rm -rf "$out" "$scratch"' EXIT

# check WHAT ADVICE [VAR=value...]: started as $program, the line ends with (ADVICE).
program=$exe
check() {
    local what=$1 advice=$2
    shift 2
    local rc=0
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY "$@" "$program" 2>"$out" >/dev/null || rc=$?
    echo "$what: status $rc: $(cat "$out")"
    [[ "$rc" == 1 ]] || { echo "FAIL: $what: expected status 1" >&2; exit 1; }
    [[ "$(wc -l <"$out")" == 1 ]] || { echo "FAIL: $what: expected one line" >&2; exit 1; }
    [[ "$(cat "$out")" == *"($advice)" ]] || { echo "FAIL: $what: expected ($advice)" >&2; exit 1; }
    # Debian's minimal systems have no xvfb-run: the line names its packages.
    [[ "$(cat "$out")" == *"xvfb and xauth"* ]] ||
        { echo "FAIL: $what: the packages for xvfb-run are not named" >&2; exit 1; }
}

check "no display set" "xvfb-run -a $exe"
# A display that is named but not there: Qt's own fatal error is replaced by the same line.
check "unreachable display" "xvfb-run -a $exe" DISPLAY=:97531
check "unreachable display, platform chosen" "xvfb-run -a $exe" DISPLAY=:97531 QT_QPA_PLATFORM=xcb
check "unreachable Wayland display" "xvfb-run -a $exe" WAYLAND_DISPLAY=none XDG_RUNTIME_DIR="$scratch"
check "neither answers" "xvfb-run -a $exe" WAYLAND_DISPLAY=none XDG_RUNTIME_DIR="$scratch" DISPLAY=:97531
# Started by a name a shell would split, the advice still pastes as one command.
ln -s "$exe" "$scratch/my game"
program="$scratch/my game"
check "a name with a space" "xvfb-run -a '$scratch/my game'"
echo PASS
