#!/usr/bin/env bash
# Times KFact(3000), KSqrt(2, 10000, ""), KPow(3, 20000), KDiv(1, 7, 30000, ""), KPi(10000, ""),
# KE(10000, ""), KRoot(2, 3, 10000, ""), the prime test of 10^999 + 7 and logarithms, powers,
# e^x, sines and arctangents to 10000 and 1000 places of the KestrumMath module in 64-bit cscript
# under Wine, with the 64-bit DLL of the windows-x64 preset registered in a private prefix
# (build/windows-x64/bench/vba). The goal is each under 0.5 s, the prime test and those to 10000
# places under 1 s, those to 1000 places under 50 ms.
# Then the peers in the same run (bench/peer_scientific.py): Python's decimal and bc -l.
# A benchmark, not a test: it prints the times and checks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools \
    libwine-dev wine wine64 python3 bc
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target kestrum_com kestrum_vba -j "$(nproc)" >/dev/null

work=$PWD/build/windows-x64/bench/vba
mkdir -p "$work"
bash tests/vba/join-script.sh "$work/vba_timing.vbs" build/windows-x64/src/vba/KestrumMath.vbs \
    bench/vba_timing.vbs
run=(bash tests/com/wine-run.sh /usr/lib/wine/wine64 system32 "$work/prefix")
"${run[@]}" register "$PWD/build/windows-x64/src/com/Kestrum.dll"
"${run[@]}" script "$work" vba_timing.vbs
echo "=== the peers"
python3 bench/peer_scientific.py
