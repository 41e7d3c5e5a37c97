#!/usr/bin/env bash
# Builds the Debian package, tumblegem_<version>_<arch>.deb, into the current folder.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build-deb/ in the repository)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "${1:-$root/build-deb}"
dir=$(cd "${1:-$root/build-deb}" && pwd)
out=$(pwd)
"$root/scripts/deps.sh" package

# Debian's own compiler and linker flags (hardening among them) and nothing of a build type.
# CPack installs without building everything first: only the game and its pages go in.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# 0755 for every folder in the package, whatever the umask.
dir_mode="OWNER_READ;OWNER_WRITE;OWNER_EXECUTE;GROUP_READ;GROUP_EXECUTE;WORLD_READ;WORLD_EXECUTE"
if [[ ! -f "$dir/CMakeCache.txt" ]]; then
    # From the sources' folder, so that their paths in the program are mapped to ".".
    cd "$root"
    cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=None \
        -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
        -DCMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS="$dir_mode" \
        -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DTUMBLEGEM_BENCH=OFF >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" --target tumblegem tumblegem_docs
(cd "$dir" && cpack -G DEB -B "$dir/deb" >/dev/null)
deb=$(cd "$dir/deb" && ls -t tumblegem_*.deb | head -n1)
cp "$dir/deb/$deb" "$out/$deb"
echo "$out/$deb"
