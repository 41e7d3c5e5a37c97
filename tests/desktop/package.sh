#!/usr/bin/env bash
# scripts/package.sh makes a .deb with the expected files and dependencies, that lintian
# passes and whose manual page renders.
# Usage: tests/desktop/package.sh BUILD_DIR OUT_DIR VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?usage: $0 BUILD_DIR OUT_DIR VERSION}
out=${2:?usage: $0 BUILD_DIR OUT_DIR VERSION}
version=${3:?usage: $0 BUILD_DIR OUT_DIR VERSION}
command -v dpkg-deb >/dev/null || { echo "SKIP: no dpkg-deb to build a package with"; exit 77; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$out"
mkdir -p "$out" "$build"
build=$(cd "$build" && pwd)
(cd "$out" && "$root/scripts/package.sh" "$build" >/dev/null)
deb=$out/tumblegem_${version}_$(dpkg --print-architecture).deb
[[ -f "$deb" ]] || fail "no $(basename "$deb") in $out: $(ls "$out")"

# One version everywhere.
[[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] ||
    fail "package version $(dpkg-deb -f "$deb" Version)"
metainfo=$(grep -m1 -o '<release version="[^"]*"' \
    "$root/resources/com.brightnook.Tumblegem.metainfo.xml")
[[ "$metainfo" == "<release version=\"$version\"" ]] || fail "metainfo's latest release: $metainfo"
[[ "$(head -n1 "$root/resources/debian/changelog")" == "tumblegem ($version) "* ]] ||
    fail "changelog starts with $(head -n1 "$root/resources/debian/changelog")"

id=com.brightnook.Tumblegem
expected=(
    usr/games/tumblegem
    usr/share/applications/$id.desktop
    usr/share/metainfo/$id.metainfo.xml
    usr/share/man/man6/tumblegem.6.gz
    usr/share/doc/tumblegem/copyright
    usr/share/doc/tumblegem/changelog.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
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

# No error; any warning is one docs/TESTING.md names and justifies.
report=$(lintian --fail-on error "$deb" 2>&1) || fail "lintian failed or reports errors:
$report"
for tag in $(sed -n 's/^W: [^ ]* \([^ ]*\).*/\1/p' <<<"$report" | sort -u); do
    grep -Fq "\`$tag\`" "$root/docs/TESTING.md" ||
        fail "lintian warning $tag is not explained in docs/TESTING.md"
done

page=$tree/usr/share/man/man6/tumblegem.6.gz
warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
[[ -z "$warnings" ]] || fail "the manual page has faults: $warnings"
text=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for want in "Tumblegem $version" NAME SYNOPSIS KEYS MENUS FILES ENVIRONMENT "Ctrl+N" \
    QT_SCALE_FACTOR WAYLAND_DISPLAY qt6-wayland "~/.local/share/tumblegem/Scores.data"; do
    grep -Fq -- "$want" <<<"$text" || fail "the manual page lacks $want"
done
echo "PASS: $(basename "$deb"), ${#expected[@]} files; Depends: $depends"
