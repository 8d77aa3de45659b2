#!/usr/bin/env bash
# Times every method of the 64-bit and the 32-bit Kestrum.dll through the vtable under Wine, each
# DLL in a process of its own bitness (bench/method_timing.cpp), and prints them side by side:
# the 32-bit time over the 64-bit time, against the goal of 1.5 where an operand has 1000 digits
# or more and 2 below. Needs a machine that runs 32-bit code (and so wine32, which
# scripts/test-windows.sh installs there). A benchmark: it prints figures and checks nothing.
#   JOBS  parallel build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

if ! reason=$(bash scripts/probe-32bit.sh) || [ ! -x /usr/lib/wine/wine ]; then
    echo "No 32-bit DLL timing: ${reason:-wine32 is not installed (bash scripts/test-windows.sh installs it)}"
    exit 0
fi
bash scripts/ensure-packages.sh cmake ninja-build g++-mingw-w64-x86-64-posix \
    g++-mingw-w64-i686-posix mingw-w64-tools libwine-dev

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
for run in "windows-x64 wine64 system32" "windows-x86 wine syswow64"; do
    read -r preset loader system <<<"$run"
    build=$PWD/build/$preset
    cmake --preset "$preset" -DKESTRUM_WINE_32BIT=ON >/dev/null
    cmake --build --preset "$preset" --target kestrum_com method_timing -j "${JOBS:-2}" >/dev/null
    bash tests/com/wine-run.sh "/usr/lib/wine/$loader" "$system" "$build/wine-timing" run \
        "$build/tests/com" method_timing.exe "$build/src/com/Kestrum.dll" >"$results/$preset"
done

echo "=== every method through the vtable under Wine, 64-bit and 32-bit DLL (best round, µs)"
echo "| method | operands (digits) | 64-bit | 32-bit | 32-bit / 64-bit | goal |"
echo "|---|---|--:|--:|--:|--:|"
awk -F'\t' '
    # The digits of an operand written as W or W.F.
    function count(operand, parts) { split(operand, parts, "."); return parts[1] + parts[2] }
    NR == FNR { time64[$1 "\t" $2] = $3; next }
    ($1 "\t" $2) in time64 {
        split($2, operands, " x ")
        longest = (count(operands[1]) > count(operands[2])) ? count(operands[1]) : count(operands[2])
        base = time64[$1 "\t" $2]
        printf "| %s | %s | %.3f | %.3f | %.2f | %s |\n", $1, $2, base, $3, $3 / base,
            (longest >= 1000 ? 1.5 : 2)
    }' "$results/windows-x64" "$results/windows-x86"
