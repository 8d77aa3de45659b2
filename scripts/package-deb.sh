#!/usr/bin/env bash
# Builds the command-line client with Debian's hardening flags (build/deb) and packs
# build/package/kestrum_<version>_<arch>.deb with CPack: /usr/bin/kestrum (stripped), the manual
# page, the copyright file and the changelog, with dependencies computed from the binary.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++ libedit-dev dpkg-dev file

build=build/deb
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUM_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" >/dev/null
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$PWD/cpack" >cpack.log 2>&1) || {
    cat "$build/cpack.log" >&2
    exit 1
}

version=$(sed -n 's/^project(Kestrum VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=kestrum_${version}_$(dpkg --print-architecture).deb
# build/package holds other packages too: replace only this one.
mkdir -p build/package
cp "$build/cpack/$deb" "build/package/$deb"
echo "build/package/$deb"
