#!/usr/bin/env bash
# Builds the game (installing what is missing) and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" play
"$root/scripts/build.sh" "$root/build" -- tumblegem
exec "$root/build/tumblegem"
