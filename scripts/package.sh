#!/usr/bin/env bash
# Builds the Debian source and binary packages with dpkg-buildpackage. Everything lands in one
# folder: the upstream tarball, the .dsc, the .debs (tumblegem and tumblegem-dbgsym), the
# .buildinfo, the .changes, the build log and the unpacked tree the build ran in.
# Usage: scripts/package.sh [FOLDER]   (default: build-deb/ in the repository)
# DEB_BUILD_OPTIONS passes through, e.g. DEB_BUILD_OPTIONS=nocheck skips the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build-deb}"
out=$(cd "${1:-$root/build-deb}" && pwd)
"$root/scripts/deps.sh" package

cd "$root"
version=$(dpkg-parsechangelog -l debian/changelog -S Version)
upstream=${version%-*}
arch=$(dpkg --print-architecture)
tree=$out/tumblegem-$upstream
log=$out/tumblegem_${version}_$arch.build
rm -rf "$tree" "$out"/tumblegem_* "$out"/tumblegem-dbgsym_*

# The project's files as they stand, new ones too, without build folders. A copy without git
# history (scripts/debian.sh makes one) holds nothing else.
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    files() { git ls-files -z --cached --others --exclude-standard; }
else
    files() {
        find . \( -path ./.git -o -path './build*' -o -path ./out \) -prune -o \
            -type f -printf '%P\0'
    }
fi
# The upstream tarball holds everything but debian/; its bytes depend only on the files.
stamp=$(dpkg-parsechangelog -l debian/changelog -S Timestamp)
files | grep -zv '^debian/' |
    tar --null -T - --format=gnu --sort=name --mtime="@$stamp" --owner=0 --group=0 \
        --numeric-owner --mode=go-w --transform="s,^,tumblegem-$upstream/," -cf - |
    xz -6 -T1 >"$out/tumblegem_$upstream.orig.tar.xz"
tar -xJf "$out/tumblegem_$upstream.orig.tar.xz" -C "$out"
files | grep -z '^debian/' | tar --null -T - -cf - | tar -xf - -C "$tree"

# debian/ targets the current release. On an older one the package is rebuilt as a backport, as
# Debian's backports are: a version that sorts below the current release's, and that
# release's policy. The backport's .changes carries the whole changelog.
since=()
release=$(. /etc/os-release && echo "${ID:-}:${VERSION_ID:-}")
case "$release" in
debian:12) codename=bookworm policy=4.6.2 ;;
*) codename= ;;
esac
if [[ -n "$codename" ]]; then
    # A second after the entry it follows: later, as a new entry must be, yet the same in
    # every build.
    date=$(LC_ALL=C date -u -R -d "@$((stamp + 1))")
    maintainer=$(dpkg-parsechangelog -l debian/changelog -S Maintainer)
    version=$version~bpo${release#debian:}+1
    { printf 'tumblegem (%s) %s-backports; urgency=medium\n\n' "$version" "$codename"
      printf '  * Rebuild for %s-backports, with Standards-Version %s.\n\n' "$codename" "$policy"
      printf ' -- %s  %s\n\n' "$maintainer" "$date"
      cat debian/changelog; } >"$tree/debian/changelog"
    sed -i "s/^Standards-Version: .*/Standards-Version: $policy/" "$tree/debian/control"
    # A backport is no first upload: lintian has no bug for it to close.
    overrides=$tree/debian/tumblegem.lintian-overrides
    sed -i '/initial-upload-closes-no-bugs/d' "$overrides"
    grep -qv '^#' "$overrides" || rm "$overrides"
    log=$out/tumblegem_${version}_$arch.build
    since=(-v0)
fi

cd "$tree"
if ! dpkg-buildpackage -us -uc -J"$(nproc)" "${since[@]}" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "$0: dpkg-buildpackage failed; the whole log: $log" >&2
    exit 1
fi
echo "$out/tumblegem_${version}_$arch.changes"
