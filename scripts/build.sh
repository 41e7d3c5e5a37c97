#!/usr/bin/env bash
# Configures (once) and builds into a build folder.
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
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${opts[@]}" >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
