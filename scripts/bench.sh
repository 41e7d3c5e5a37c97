#!/usr/bin/env bash
# Builds the benchmarks and prints the figures of bench/RESULTS.md. Run it on a quiet machine
# (the load average is printed first).
# Usage: scripts/bench.sh             (allocations per operation at device pixel ratio 1 and 2,
#                                      offscreen)
#        scripts/bench.sh feel [OPTIONS]   (the game beside a plain Qt program, without and
#                                      with a menu bar and a line of text, seen from an X server
#                                      under Xvfb: key to pixels, launch to first picture, the
#                                      fall and the clearing pauses on screen; the game's pieces
#                                      fall until 24 pauses are timed. OPTIONS go to
#                                      tumblegem_feel, e.g. --launches=3 --falls=5 --pauses=4
#                                      --presses=10 for a quick look)
#        scripts/bench.sh launch [ROUNDS]   (launch to first picture alone, the three programs
#                                      taking turns, 15 launches each per round, default 4
#                                      rounds; about fifteen seconds a round)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
if [[ "${1:-}" == feel || "${1:-}" == launch ]]; then
    "$root/scripts/build.sh" "$root/build" -- tumblegem tumblegem_feel tumblegem_feel_baseline \
        tumblegem_feel_baseline_menu
    cd "$root/build"
    lscpu | grep -E '^(Model name|CPU\(s\)):'
    uptime
    if [[ "$1" == launch ]]; then
        # Turns rather than one program's launches in a row, so a drift in the machine's speed
        # falls on all three alike.
        env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY xvfb-run -a -s "-screen 0 1280x1280x24" \
            bash -c 'for round in $(seq "$0"); do
                for scale in 1 2; do
                    for program in bench/tumblegem_feel_baseline \
                        bench/tumblegem_feel_baseline_menu tumblegem; do
                        QT_SCALE_FACTOR=$scale bench/tumblegem_feel --launches=15 --falls=0 \
                            --presses=0 "$program" | grep -E "ratio|launch"
                    done
                done
            done' "${2:-4}"
        exit
    fi
    # One X server for all six, one after the other; its screen holds the doubled window. The
    # load average before each.
    env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY xvfb-run -a -s "-screen 0 1280x1280x24" bash -c '
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
