#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any are missing.
# Usage: scripts/deps.sh play|test
set -euo pipefail

play=(g++ cmake make qt6-base-dev libgl-dev fonts-liberation2 fonts-dejavu-core)
test=("${play[@]}" libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-utils
      openbox imagemagick desktop-file-utils appstream clang libclang-rt-14-dev)

case "${1:-}" in
play) wanted=("${play[@]}") ;;
test) wanted=("${test[@]}") ;;
*) echo "usage: $0 play|test" >&2; exit 2 ;;
esac

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
elif command -v sudo >/dev/null && [[ -t 0 ]]; then
    as_root=(sudo)
else
    echo "Cannot install packages without root. Please run:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
