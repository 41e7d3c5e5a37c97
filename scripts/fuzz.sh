#!/usr/bin/env bash
# Builds the fuzz target with clang into build-fuzz/ and fuzzes the game for SECONDS (default
# 60), starting from the seed corpus plus whatever earlier runs here found interesting.
# A finding stops the run with the reproducer in build-fuzz/findings/; copy it to
# fuzz/regressions/ once fixed, where the replay test keeps it.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
"$root/scripts/build.sh" "$root/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DTUMBLEGEM_FUZZ=ON \
    -- fuzz_game
mkdir -p "$root/build-fuzz/corpus" "$root/build-fuzz/findings"
# Saves fsync; on a memory file system that costs nothing.
if [[ -d /dev/shm && -w /dev/shm ]]; then
    export TMPDIR=/dev/shm
fi
# clang 14's LeakSanitizer reports Qt's per-thread font cache as leaked at exit, where the
# gcc build finds it reachable; leaks during each input are still checked.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0:leak_check_at_exit=0"
# An input running longer than 10 s is a finding: a hang.
exec "$root/build-fuzz/fuzz/fuzz_game" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$root/build-fuzz/findings/" "$root/build-fuzz/corpus" \
    "$root/fuzz/corpus"
