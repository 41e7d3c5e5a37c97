#!/usr/bin/env bash
# Redraws the README's screenshots (docs/screenshots) offscreen; commit the result.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" "$root/build" -- tumblegem_screenshots
QT_QPA_PLATFORM=offscreen "$root/build/tumblegem_screenshots" "$root/docs/screenshots"
