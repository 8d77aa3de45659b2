#!/usr/bin/env bash
# Builds both Windows DLLs and packs build/windows-x64/Kestrum-<version>-windows.zip: x64/ and x86/ with
# Kestrum.dll, the examples and the install note.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev
for preset in windows-x64 windows-x86; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target kestrum_com -j "$(nproc)" >/dev/null
done

version=$(sed -n 's/^project(Kestrum VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
staging=build/windows-x64/package/Kestrum-$version-windows
rm -rf build/windows-x64/package
mkdir -p "$staging/x64" "$staging/x86" "$staging/examples"
cp build/windows-x64/src/com/Kestrum.dll "$staging/x64/"
cp build/windows-x86/src/com/Kestrum.dll "$staging/x86/"
cp examples/demo.vbs examples/sample.js examples/client.cpp src/com/kestrum.idl \
    "$staging/examples/"
# Windows users open the note in Notepad: CRLF line ends.
sed 's/$/\r/' src/com/INSTALL.txt >"$staging/INSTALL.txt"
(cd build/windows-x64/package && cmake -E tar cf "../Kestrum-$version-windows.zip" --format=zip \
    "Kestrum-$version-windows")
echo "build/windows-x64/Kestrum-$version-windows.zip"
