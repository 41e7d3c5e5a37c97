#!/usr/bin/env bash
# The committed icons are what the generator draws (scripts/icons.sh redraws them).
# Usage: tests/desktop/icons.sh ICONGEN ICON_DIR
set -euo pipefail
gen=${1:?usage: $0 ICONGEN ICON_DIR}
committed=${2:?usage: $0 ICONGEN ICON_DIR}
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$gen" "$fresh"
diff -r "$committed/hicolor" "$fresh/hicolor"
echo "PASS"
