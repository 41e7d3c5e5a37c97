#!/usr/bin/env bash
# Builds the benchmarks and prints the figures of bench/RESULTS.md. Run it on a quiet machine
# (the load average is printed first).
# Usage: scripts/bench.sh         (allocations per operation at device pixel ratio 1 and 2,
#                                  offscreen)
#        scripts/bench.sh feel [OPTIONS]   (the game beside a plain Qt program, without and
#                                  with a menu bar and a line of text, seen from an X server
#                                  under Xvfb: key to pixels, launch to first picture, the fall
#                                  and the clearing pauses on screen; the game's pieces fall
#                                  until 24 pauses are timed. OPTIONS go to tumblegem_feel,
#                                  e.g. --launches=3 --falls=5 --pauses=4 --presses=10 for a
#                                  quick look)
#        scripts/bench.sh launch [ROUNDS]   (launch to first picture alone, the three programs
#                                  taking turns, 15 launches each per round and ratio, default
#                                  4 rounds: a pass without a session bus, then a pass on one)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
x_server=(xvfb-run -a -s "-screen 0 1280x1280x24") # its screen holds the doubled window

# One pass of launch, on the X server and the bus it is given (PASS: no-bus or bus); one line
# per program, ratio and round: PASS RATIO PROGRAM and the tool's launch line.
if [[ "${1:-}" == launch-pass ]]; then
    bus=${DBUS_SESSION_BUS_ADDRESS:-}
    if [[ ("$3" == bus && -z "$bus") || ("$3" != bus && -n "$bus") ]]; then
        echo "the $3 pass was given the wrong session bus: '$bus'" >&2
        exit 1
    fi
    # Without an address the bus library asks dbus-launch, where installed, for a bus of its own.
    if [[ "$3" != bus ]] && command -v dbus-launch >/dev/null; then
        echo "dbus-launch would give the no-bus pass a bus: run it where dbus-x11 is not" >&2
        exit 1
    fi
    cd "$root/build"
    # Turns rather than one program's launches in a row, so a drift in the machine's speed
    # falls on all three alike. The tool fails unless every launch shows its own first
    # picture: a game that handed over to an earlier copy would end without one.
    for round in $(seq "$2"); do
        for scale in 1 2; do
            for program in bench/tumblegem_feel_baseline bench/tumblegem_feel_baseline_menu \
                tumblegem; do
                line=$(QT_SCALE_FACTOR=$scale bench/tumblegem_feel --launches=15 --falls=0 \
                    --presses=0 "$program" | grep '^launch')
                echo "$3 $scale ${program##*/} $line"
            done
        done
    done
    exit
fi

"$root/scripts/deps.sh" test
if [[ "${1:-}" == feel || "${1:-}" == launch ]]; then
    "$root/scripts/build.sh" "$root/build" -- tumblegem tumblegem_feel tumblegem_feel_baseline \
        tumblegem_feel_baseline_menu
    cd "$root/build"
    lscpu | grep -E '^(Model name|CPU\(s\)):'
    uptime
    if [[ "$1" == launch ]]; then
        # A desktop starts every program on a session bus, where the game claims its
        # single-launch name; the bus frees it as each killed launch's connection closes. One bus
        # serves the whole pass, as one serves a session.
        results=$(mktemp)
        trap 'rm -f "$results"' EXIT
        env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS "${x_server[@]}" \
            bash -c '"$0" launch-pass "$1" no-bus && dbus-run-session -- "$0" launch-pass "$1" bus' \
            "$root/scripts/bench.sh" "${2:-4}" | tee "$results"
        uptime
        # Field 9 is the median of a program's 15 launches in one round.
        sort -k1,1 -k2,2n -k3,3 -k9,9n "$results" | awk '
            function settle() {
                if (n > 0)
                    median[last] = n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
                n = 0
            }
            { key = $1 " " $2 " " $3; if (key != last) settle(); last = key; v[++n] = $9 }
            END {
                settle()
                split("no-bus bus", passes, " ")
                for (p = 1; p <= 2; p++) for (scale = 1; scale <= 2; scale++) {
                    k = passes[p] " " scale " "
                    game = median[k "tumblegem"]; menu = median[k "tumblegem_feel_baseline_menu"]
                    printf "%s, ratio %d, median of the rounds: plain Qt %.1f ms, menu and text %.1f ms, tumblegem %.1f ms = %.2fx the menu and text\n",
                        passes[p], scale, median[k "tumblegem_feel_baseline"], menu, game, game / menu
                }
            }'
        exit
    fi
    # One X server for all six, one after the other, off any session bus (launch measures the
    # start on one); the load average before each.
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS "${x_server[@]}" bash -c '
        for scale in 1 2; do
            for program in bench/tumblegem_feel_baseline bench/tumblegem_feel_baseline_menu \
                tumblegem; do
                uptime
                if [[ $program == tumblegem ]]; then
                    QT_SCALE_FACTOR=$scale bench/tumblegem_feel --pauses=24 "$@" "$program"
                else # the baselines never clear
                    QT_SCALE_FACTOR=$scale bench/tumblegem_feel "$@" --pauses=0 "$program"
                fi
            done
        done' bash "${@:2}"
    uptime
    exit
fi
"$root/scripts/build.sh" "$root/build" -- tumblegem_allocs
cd "$root/build/bench"
lscpu | grep -E '^(Model name|CPU\(s\)):'
uptime
for scale in 1 2; do
    QT_SCALE_FACTOR=$scale ./tumblegem_allocs 2>/dev/null || true # its last line says why
done
