#!/usr/bin/env bash
# Builds both Windows DLLs and packs them into build/package/:
#   Kestrum-<version>-windows.zip  x64/ and x86/ (Kestrum.dll and Kestrum.manifest each),
#                                  vba/ (KestrumMath.bas and .vbs), examples/ and INSTALL.txt
#   Kestrum-<version>-x64.msi      for 64-bit Windows: both DLLs, both registry views
#   Kestrum-<version>-x86.msi      for 32-bit Windows: the 32-bit DLL
#   SHA256SUMS                     the SHA-256 of each of the three
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev faketime wixl zip
for preset in windows-x64 windows-x86; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target kestrum_com -j "$(nproc)" >/dev/null
done

version=$(sed -n 's/^project(Kestrum VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/package
staging=build/package-staging/Kestrum-$version-windows
rm -rf "$out" build/package-staging
mkdir -p "$out" "$staging/x64" "$staging/x86" "$staging/examples"
for bits in x64 x86; do
    cp "build/windows-$bits/src/com/Kestrum.dll" "build/windows-$bits/src/com/Kestrum.manifest" \
        "$staging/$bits/"
done
cp examples/demo.vbs examples/sample.js examples/client.cpp examples/application.manifest \
    examples/kestrum_math.vbs src/com/kestrum.idl "$staging/examples/"
bash src/vba/build-module.sh src/vba/KestrumMath.bas "$staging/vba"
# Windows users open the note in Notepad: CRLF line ends.
sed 's/$/\r/' src/com/INSTALL.txt >"$staging/INSTALL.txt"
chmod -R u=rwX,go=rX build/package-staging

# The same files give the same zip: a fixed order and time, no owner or access times (-X).
zip=$PWD/$out/Kestrum-$version-windows.zip
(cd build/package-staging &&
    find "Kestrum-$version-windows" -type f -exec touch -d "2026-01-01 00:00:00 UTC" {} + &&
    find "Kestrum-$version-windows" -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q "$zip" -@)

wxs=packaging/windows/kestrum.wxs
wixl -a x64 -D Version="$version" -D Dll64="$staging/x64/Kestrum.dll" \
    -D Dll32="$staging/x86/Kestrum.dll" -D Vba="$staging/vba" \
    -o "$out/Kestrum-$version-x64.msi" "$wxs"
wixl -a x86 -D Version="$version" -D Dll32="$staging/x86/Kestrum.dll" -D Vba="$staging/vba" \
    -o "$out/Kestrum-$version-x86.msi" "$wxs"

(cd "$out" && sha256sum "Kestrum-$version-windows.zip" "Kestrum-$version-x64.msi" \
    "Kestrum-$version-x86.msi" >SHA256SUMS)
ls -1 "$out"/*
