#!/usr/bin/env bash
# Redraws the icons under resources/icons from the generator (commit the result).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build" -- tumblegem_icongen
"$root/build/tumblegem_icongen" "$root/resources/icons"
