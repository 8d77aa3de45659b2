#!/usr/bin/env bash
# Two builds of the windows-x64 preset in different folders give the same Kestrum.dll byte for
# byte: the DLL of build/windows-x64 and that of a copy of the sources built in
# build/reproducible (another source folder and another build folder).
#   reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
first=build/windows-x64/src/com/Kestrum.dll
[ -f "$first" ] || { echo "FAILED: build the windows-x64 preset first"; exit 1; }

copy=build/reproducible/source
rm -rf build/reproducible
mkdir -p "$copy"
tar --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -
(cd "$copy" && cmake --preset windows-x64 >/dev/null &&
    cmake --build --preset windows-x64 --target kestrum_com -j "$(nproc)" >/dev/null)
second=$copy/build/windows-x64/src/com/Kestrum.dll
if ! cmp "$first" "$second"; then
    echo "FAILED: $first and $second differ"
    exit 1
fi
echo "reproducible: $first and $second are identical ($(sha256sum <"$first" | cut -c1-16)...)"
rm -rf build/reproducible
