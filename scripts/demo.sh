#!/usr/bin/env bash
# Builds the 64-bit Kestrum.dll, registers it in a private Wine prefix and runs
# examples/demo.vbs, which calls every method of Kestrum.Arithm once.
set -euo pipefail
cd "$(dirname "$0")/.."

# faketime lets the build stop widl's clock, so the demo's DLL is the one a release build gives.
bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools \
    libwine-dev wine wine64 faketime
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target kestrum_com -j "$(nproc)" >/dev/null

# 64-bit programs go through the 64-bit loader: with wine32 installed, Debian's `wine` would
# start the 32-bit one.
wine64=/usr/lib/wine/wine64
export WINEPREFIX=$PWD/build/windows-x64/demo-prefix WINEDEBUG=-all WINELOADER=$wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix (once, a few seconds)"
    "$wine64" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
"$wine64" regsvr32 /s "$("$wine64" winepath -w build/windows-x64/src/com/Kestrum.dll 2>/dev/null)"
echo "Kestrum.dll registered; running examples/demo.vbs:"
cd examples
"$wine64" cscript demo.vbs | tr -d '\r'
