#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any are missing.
# Usage: scripts/deps.sh play|package|test
set -euo pipefail

play=(g++ cmake make pkg-config qt6-base-dev qt6-wayland libwayland-dev libgl-dev
      fonts-liberation2 fonts-dejavu-core)
# Building the Debian packages: debian/control's Build-Depends, the tests' among them.
package=("${play[@]}" build-essential dpkg-dev debhelper file xz-utils libgtest-dev
         libgmock-dev dbus-daemon desktop-file-utils appstream)
# Checking them (lintian, blhc, autopkgtest) and the rest of the tests; rsvg-convert draws
# the icons from their SVG.
test=("${package[@]}" xvfb xauth xdotool x11-utils x11-xserver-utils openbox imagemagick
      clang libclang-rt-dev lintian blhc autopkgtest man-db locales fontconfig libxtst-dev
      libxdamage-dev dbus-bin sway grim wtype jq weston librsvg2-bin gnome-shell mutter gjs
      kwin-wayland kwin-style-breeze libkf5service-bin wayland-protocols)

case "${1:-}" in
play) wanted=("${play[@]}") ;;
package) wanted=("${package[@]}") ;;
test) wanted=("${test[@]}") ;;
*) echo "usage: $0 play|package|test" >&2; exit 2 ;;
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
