#!/usr/bin/env bash
# Runs a command of this project on a new, minimal Debian system, as a player's or a fresh
# CI machine would: the system is made with debootstrap and the project copied into it.
#   scripts/debian.sh 13 scripts/test.sh
#   DISPLAY=:0 scripts/debian.sh 12 scripts/play.sh   (the game shows on the caller's X display)
# The bare system is made once per release and kept in $TUMBLEGEM_DEBIAN_CACHE (by default
# /var/cache/tumblegem); every run works on a copy of it, so one run leaves nothing for the
# next, and the packages the project installs come from the archive each time (their
# downloads are kept beside the system). Needs root, for debootstrap, chroot and the mounts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
release=${1:?usage: $0 12|13 COMMAND [ARGS...]}
shift
[[ $# -gt 0 ]] || { echo "usage: $0 12|13 COMMAND [ARGS...]" >&2; exit 2; }
case "$release" in
12) suite=bookworm ;;
13) suite=trixie ;;
*) echo "$0: Debian $release is not one of ours (12 or 13)" >&2; exit 2 ;;
esac
[[ $(id -u) == 0 ]] || { echo "$0: needs root (debootstrap, chroot, mounts)" >&2; exit 1; }
mirror=${TUMBLEGEM_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${TUMBLEGEM_DEBIAN_CACHE:-/var/cache/tumblegem}
base=$cache/debian-$release
downloads=$cache/apt-$release

if ! command -v debootstrap >/dev/null; then
    echo "Installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap ||
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
              --no-install-recommends debootstrap; }
fi

# A system is kept only once debootstrap has finished it.
if [[ ! -e "$base/.complete" ]]; then
    echo "Making a minimal Debian $release ($suite) in $base"
    rm -rf "$base" "$base.new"
    mkdir -p "$cache"
    debootstrap --variant=minbase "$suite" "$base.new" "$mirror" >"$cache/debootstrap-$release.log" 2>&1 ||
        { tail -n 20 "$cache/debootstrap-$release.log" >&2; echo "$0: debootstrap failed" >&2; exit 1; }
    touch "$base.new/.complete"
    mv "$base.new" "$base"
fi

work=$(mktemp -d "${TMPDIR:-/var/tmp}/tumblegem-debian$release.XXXXXX")
system=$work/system
cleanup() {
    # Everything mounted below the system, deepest first, before the copy goes.
    if [[ -d "$system" ]]; then
        findmnt -rn -o TARGET | awk -v s="$system" '$0 == s || index($0, s "/") == 1' |
            sort -r | while read -r m; do
            umount -l "$m" 2>/dev/null || true
        done
    fi
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
cp -a "$base" "$system"
rm -f "$system/.complete"
# The compositor and the game run as an unprivileged user in some tests: they must be able to
# enter the system's root (mktemp makes its folder 0700).
chmod 755 "$work" "$system"

# The project as it stands, tracked files and new ones alike, without build folders.
mkdir -p "$system/tumblegem"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
    tar --null -T - -cf - 2>/dev/null) | tar -xf - -C "$system/tumblegem"
chmod 755 "$system/tumblegem"

mkdir -p "$downloads"
# The system's root a mount of its own, as on a real machine: tests that hide files in a mount
# namespace of their own need one to make private.
mount --bind "$system" "$system"
mount -t proc proc "$system/proc"
mount --rbind /sys "$system/sys" && mount --make-rslave "$system/sys"
# Recursively, for /dev/shm (screenshots on Wayland) and /dev/pts.
mount --rbind /dev "$system/dev" && mount --make-rslave "$system/dev"
mount --bind "$downloads" "$system/var/cache/apt/archives"
cp -L /etc/resolv.conf "$system/etc/resolv.conf"
# The caller's X display, if any, so that the play command shows the game there.
display=()
if [[ -n "${DISPLAY:-}" && -d /tmp/.X11-unix ]]; then
    mkdir -p "$system/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$system/tmp/.X11-unix"
    display=(DISPLAY="$DISPLAY")
    if [[ -r "${XAUTHORITY:-}" ]]; then
        cp "$XAUTHORITY" "$system/root/.Xauthority"
        display+=(XAUTHORITY=/root/.Xauthority)
    fi
fi

echo "Debian $release: running $* in a new system ($(date -u +%H:%M:%S) UTC)"
started=$(date +%s)
rc=0
chroot "$system" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" "${display[@]}" \
    bash -c 'cd /tumblegem && exec "$@"' bash "$@" || rc=$?
echo "Debian $release: $* exited with $rc after $(($(date +%s) - started)) s"
exit "$rc"
