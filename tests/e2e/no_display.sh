#!/usr/bin/env bash
# Without a display the game says so in one line, mentions xvfb-run, and exits with status 1.
# Usage: tests/e2e/no_display.sh PATH_TO_TUMBLEGEM
set -euo pipefail
exe=${1:?usage: $0 PATH_TO_TUMBLEGEM}
out=$(mktemp)
trap 'rm -f "$out"' EXIT

check() {
    local what=$1
    shift
    local rc=0
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY "$@" "$exe" 2>"$out" >/dev/null || rc=$?
    echo "$what: status $rc: $(cat "$out")"
    [[ "$rc" == 1 ]] || { echo "FAIL: $what: expected status 1" >&2; exit 1; }
    [[ "$(wc -l <"$out")" == 1 ]] || { echo "FAIL: $what: expected one line" >&2; exit 1; }
    grep -q 'xvfb-run' "$out" || { echo "FAIL: $what: no mention of xvfb-run" >&2; exit 1; }
}

check "no display set"
# A display that is named but not there: Qt's own fatal error is replaced by the same line.
check "unreachable display" DISPLAY=:97531
check "unreachable display, platform chosen" DISPLAY=:97531 QT_QPA_PLATFORM=xcb
echo PASS
