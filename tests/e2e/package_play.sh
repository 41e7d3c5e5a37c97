#!/usr/bin/env bash
# The program unpacked from the .deb, run by a player who cannot write its folder, as after a
# system install: a round that beats the best score is saved in the player's data folder and
# nothing is written beside the program.
# Usage: xvfb-run -a tests/e2e/package_play.sh FOLDER_WITH_THE_DEB
set -euo pipefail
command -v dpkg-deb >/dev/null || { echo "SKIP: no dpkg-deb to unpack the package with"; exit 77; }
debs=("${1:?usage: $0 FOLDER_WITH_THE_DEB}"/tumblegem_*.deb)
[[ -f "${debs[0]}" ]] || { echo "FAIL: no package in $1" >&2; exit 1; }
tree=$(mktemp -d)
dpkg-deb -x "${debs[0]}" "$tree"
source "$(dirname "$0")/lib.sh" "$tree/usr/games/tumblegem"
mv "$tree" "$work/root"
program=$work/root/usr/games/tumblegem
home=$work/home
mkdir -p "$home/run"
chmod 700 "$home/run"
cp "${XAUTHORITY:?xvfb-run sets XAUTHORITY}" "$home/.Xauthority"
chmod 755 "$work" "$work/root" # as / is

# Root writes anywhere, so root plays as nobody; anyone else plays in a folder made read-only.
as_player=()
if [[ $(id -u) == 0 ]]; then
    chown -R 65534:65534 "$home"
    as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod a-w "$work/root/usr/games"
    trap 'chmod -R u+w "$work"; cleanup' EXIT
fi
before=$(find "$work/root" -printf '%p %s %T@\n' | sort)

# The player's own session bus: the test's belongs to whoever runs it, and lets nobody else in.
env -u XDG_DATA_HOME HOME="$home" XDG_RUNTIME_DIR="$home/run" XAUTHORITY="$home/.Xauthority" \
    "${as_player[@]}" dbus-run-session -- "$program" 2>>"$work/stderr.txt" &
game=$!
started+=("$game")
find_window "$game"

title_bg=220,220,255
frame=30,20,200
best=$home/.local/share/tumblegem/Scores.data
# Pieces dropped straight down pile up in the entry column until it is blocked. A round may
# score nothing; the next one then gets its turn.
for ((round = 1; round <= 10; round++)); do
    wait_for_pixel 0 0 "$title_bg"
    [[ -e "$best" ]] && break
    xdotool key ctrl+n
    wait_for_pixel 0 0 "$frame"
    for ((burst = 0; burst < 100; burst++)); do
        xdotool key --delay 15 Down Down Down Down Down Down Down Down Down Down
        shot "$work/shots/round.png"
        [[ "$(view_pixel "$work/shots/round.png" 0 0)" == "$title_bg" ]] && break
    done
done
[[ -e "$best" ]] || fail "no best score under HOME after $((round - 1)) rounds"
echo "saved after $((round - 1)) rounds: $(cat "$best")"
[[ "$(cat "$best")" =~ ^[1-9][0-9]*$ ]] || fail "the saved best is not a score above 0"
[[ "$(stat -c %a "$(dirname "$best")")" == 700 ]] || fail "the data folder is not 0700"
if [[ $(id -u) == 0 ]]; then
    [[ "$(stat -c %u "$best")" == 65534 ]] || fail "the best score belongs to $(stat -c %U "$best")"
fi

xdotool key ctrl+q
await_exit "$game"
[[ "$status" == 0 ]] || fail "Ctrl+Q ended the game with status $status"
after=$(find "$work/root" -printf '%p %s %T@\n' | sort)
[[ "$before" == "$after" ]] || fail "the unpacked package changed:
$(diff <(echo "$before") <(echo "$after"))"
echo "stderr of the game:"
cat "$work/stderr.txt"
echo "PASS"
