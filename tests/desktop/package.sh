#!/usr/bin/env bash
# scripts/package.sh builds the source and binary packages; they carry the expected files and
# dependencies, lintian finds nothing to say, every compile and link in the build log has
# Debian's hardening flags, and the manual page renders.
# Usage: tests/desktop/package.sh OUT_DIR VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?usage: $0 OUT_DIR VERSION}
version=${2:?usage: $0 OUT_DIR VERSION}
command -v dpkg-buildpackage >/dev/null || { echo "SKIP: no dpkg-buildpackage"; exit 77; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$out"
mkdir -p "$out"
# The last line names the .changes; any before it come from installing missing packages.
changes=$("$root/scripts/package.sh" "$out" | tail -n 1) || fail "scripts/package.sh failed"
[[ -f "$changes" ]] || fail "no .changes: $changes"
debs=()
for pkg in tumblegem tumblegem-dbgsym; do
    name=$(sed -n "s/^ [0-9a-f]\{64\} [0-9]* \(${pkg}_[^ ]*\.deb\)$/\1/p" "$changes")
    debs+=("$(dirname "$changes")/$name")
    [[ -f "${debs[-1]}" ]] || fail "the .changes names no $pkg .deb: $(cat "$changes")"
done
deb=${debs[0]}
grep -q '\.dsc$' "$changes" || fail "the .changes holds no source package"

# One version everywhere: CMake's, the metainfo's latest release, the package's upstream part.
package_version=$(dpkg-deb -f "$deb" Version)
[[ "$package_version" == "$version-"* ]] || fail "package version $package_version"
metainfo=$(grep -m1 -o '<release version="[^"]*"' \
    "$root/resources/com.brightnook.Tumblegem.metainfo.xml")
[[ "$metainfo" == "<release version=\"$version\"" ]] || fail "metainfo's latest release: $metainfo"

id=com.brightnook.Tumblegem
expected=(
    usr/games/tumblegem
    usr/share/applications/$id.desktop
    usr/share/metainfo/$id.metainfo.xml
    usr/share/man/man6/tumblegem.6.gz
    usr/share/doc/tumblegem/copyright
    usr/share/doc/tumblegem/changelog.gz
    usr/share/doc/tumblegem/changelog.Debian.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
expected+=("usr/share/icons/hicolor/scalable/apps/$id.svg"
    "usr/share/icons/hicolor/symbolic/apps/$id-symbolic.svg")
# Lintian's overrides for the binary package travel with it, where the build kept any.
if [[ -f "$(dirname "$changes")/tumblegem-$version/debian/tumblegem.lintian-overrides" ]]; then
    expected+=(usr/share/lintian/overrides/tumblegem)
fi
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[[ "$actual" == "$wanted" ]] || fail "files differ from the expected ones:
$(diff <(echo "$wanted") <(echo "$actual"))"

# Depends names the package of every library the program links, the platform plugins of X11
# and Wayland, and the fonts.
depends=$(dpkg-deb -f "$deb" Depends)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{ print $1 }')
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
libs=$(readelf -d "$tree/usr/games/tumblegem" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')
for lib in $libs; do
    pkg=$(dpkg -S "*/$multiarch/$lib" 2>/dev/null | head -n1 | cut -d: -f1)
    [[ -n "$pkg" ]] || fail "no installed package holds $lib"
    grep -Fxq "$pkg" <<<"$names" || fail "Depends lacks $pkg (for $lib): $depends"
done
for needed in "qt6-qpa-plugins" "qt6-wayland" "fonts-liberation2 | "; do
    grep -Fq "$needed" <<<"$depends" || fail "Depends lacks '$needed': $depends"
done

# Every tag lintian knows is fixed, or overridden in debian/ with the reason beside it.
# Tags come on standard output; standard error has only lintian's own remarks (run as root).
report=$(lintian --pedantic --display-info "$changes" 2>"$tree/lintian.err") ||
    fail "lintian failed: $report $(cat "$tree/lintian.err")"
[[ -z "$report" ]] || fail "lintian reports:
$report"
log=${changes%.changes}.build
# The build ran the tests that need no display, of every area.
for area in Rules. Round. ScoreFile. Drawing. double_density. WindowTest. FuzzReplay. \
    metainfo_validates; do
    grep -Eq "Test +#[0-9]+: $area" "$log" || fail "the package build did not run the $area tests"
done
report=$(blhc --all "$log" 2>&1) || fail "blhc finds compiles or links without hardening:
$(head -n 20 <<<"$report")"

page=$tree/usr/share/man/man6/tumblegem.6.gz
warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "the manual page has faults: $warnings"
text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for want in "Tumblegem $version" NAME SYNOPSIS KEYS MENUS FILES ENVIRONMENT "Ctrl+N" \
    QT_SCALE_FACTOR WAYLAND_DISPLAY qt6-wayland "~/.local/share/tumblegem/Scores.data"; do
    grep -Fq -- "$want" <<<"$text" || fail "the manual page lacks $want"
done
echo "PASS: $(basename "$changes"), ${#expected[@]} files; Depends: $depends"
