#!/usr/bin/env bash
# Builds the benchmarks and prints the figures of bench/RESULTS.md: drawing and play at device
# pixel ratio 1 and 2, the game's timing, and its idle cost. Takes about six minutes; run it on
# a quiet machine (the load average is printed first).
# Usage: scripts/bench.sh [seconds per idle phase, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" test
"$root/scripts/build.sh" "$root/build" -- tumblegem_bench tumblegem_timing tumblegem_idle
cd "$root/build/bench"
lscpu | grep -E '^(Model name|CPU\(s\)):'
uptime
for scale in 1 2; do
    ./tumblegem_bench --scale="$scale" --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true 2>/dev/null
done
./tumblegem_timing 2>/dev/null
./tumblegem_idle "${1:-60}" 2>/dev/null
