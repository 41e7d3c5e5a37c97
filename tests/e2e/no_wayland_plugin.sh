#!/usr/bin/env bash
# On a system without Qt's Wayland platform plugin, a session that leaves Qt only Wayland gets
# one line naming the package to install, and status 1: no advice about xvfb-run, no abort.
# The plugin is hidden as a system without qt6-wayland lacks it: in a mount namespace of the
# test's own, Qt's platforms folder is replaced by a copy without the Wayland plugins.
# Usage: tests/e2e/no_wayland_plugin.sh PATH_TO_TUMBLEGEM
set -euo pipefail
exe=${1:?usage: $0 PATH_TO_TUMBLEGEM}
platforms=$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms
out=$(mktemp)
copy=$(mktemp -d)
trap 'rm -rf "$out" "$copy"' EXIT
cp "$platforms"/*.so "$copy"/
rm -f "$copy"/*wayland*
chmod 755 "$copy"

hide=(unshare --mount)
[[ $(id -u) == 0 ]] || hide=(unshare --user --map-root-user --mount)
"${hide[@]}" true 2>/dev/null || { echo "SKIP: no mount namespace to hide the plugin in"; exit 77; }

# check WHAT [VAR=value...]: without the plugin, one line that names the package, status 1.
check() {
    local what=$1 rc=0
    shift
    "${hide[@]}" sh -c 'mount --bind "$1" "$2" && shift 2 && exec "$@"' sh "$copy" "$platforms" \
        env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY -u XDG_SESSION_TYPE "$@" "$exe" \
        2>"$out" >/dev/null || rc=$?
    echo "$what: status $rc: $(cat "$out")"
    [[ "$rc" == 1 ]] || { echo "FAIL: $what: expected status 1" >&2; exit 1; }
    [[ "$(wc -l <"$out")" == 1 ]] || { echo "FAIL: $what: expected one line" >&2; exit 1; }
    [[ "$(cat "$out")" == *"the package qt6-wayland (sudo apt install qt6-wayland)" ]] ||
        { echo "FAIL: $what: expected the package and how to install it" >&2; exit 1; }
}

#     the session                          its environment
check "a Wayland session"                  WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland
check "a Wayland display alone"            WAYLAND_DISPLAY=wayland-0
check "Wayland chosen by name"             WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland
check "Wayland chosen, X11 not reachable"  WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland \
                                           DISPLAY=:97531
echo PASS
