#!/usr/bin/env bash
# Times iadd in the 64-bit Kestrum.dll under Wine: through the vtable and through
# IDispatch::Invoke with string values and with VARIANT references. Does nothing without Wine.
#   JOBS  parallel build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -x /usr/lib/wine/wine64 ]; then
    echo "Wine is not installed: no COM timing"
    exit 0
fi
bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools \
    libwine-dev

build=$PWD/build/windows-x64
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target kestrum_com com_timing -j "${JOBS:-2}" >/dev/null
echo "=== COM calls under Wine"
bash tests/com/wine-run.sh /usr/lib/wine/wine64 system32 "$build/wine-timing" run "$build/tests/com" com_timing.exe \
    "$build/src/com/Kestrum.dll"
