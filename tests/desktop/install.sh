#!/usr/bin/env bash
# cmake --install puts the program, its desktop entry, metainfo, icons and manual page under
# the prefix.
# Usage: tests/desktop/install.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

id=com.brightnook.Tumblegem
expected=(
    bin/tumblegem
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/man/man6/tumblegem.6.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
expected+=("share/icons/hicolor/scalable/apps/$id.svg"
    "share/icons/hicolor/symbolic/apps/$id-symbolic.svg")
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [[ "$actual" != "$wanted" ]]; then
    echo "FAIL: installed files differ from the expected ones:" >&2
    diff <(echo "$wanted") <(echo "$actual") >&2 || true
    exit 1
fi
[[ -x "$prefix/bin/tumblegem" ]] || { echo "FAIL: bin/tumblegem is not executable" >&2; exit 1; }
desktop-file-validate "$prefix/share/applications/$id.desktop"
# The validator speaks on standard output: a failure shows its words.
if ! report=$(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1); then
    echo "FAIL: the installed metainfo does not validate:" >&2
    echo "$report" >&2
    exit 1
fi
echo "PASS: ${#expected[@]} files installed"
