#!/usr/bin/env bash
# Configures and builds into a build folder. Configuring every time is cheap and picks up
# packages installed since the last run, so a folder first made by the play command later
# builds the tests too.
# Usage: scripts/build.sh BUILD_DIR [cmake -D options...] -- [targets...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1
shift
opts=()
while [[ $# -gt 0 && "$1" != "--" ]]; do opts+=("$1"); shift; done
[[ "${1:-}" == "--" ]] && shift
targets=()
for t in "$@"; do targets+=(--target "$t"); done
if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "${opts[@]}")
fi
cmake -S "$root" -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
