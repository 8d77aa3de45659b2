#!/usr/bin/env bash
# Builds the core for 32-bit x86 (no 128-bit integers on any 32-bit target), the arithmetic paths
# of the 32-bit DLL, and runs its unit and differential tests in two forms: as the DLL is built,
# with SSE2 (preset linux-i686), and without it (preset linux-i686-scalar), which keeps the
# scalar forms of the vector paths tested. The tests run natively where this machine runs 32-bit
# programs, otherwise under qemu-i386 user-mode emulation.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build gcc-multilib g++-multilib libgtest-dev
if reason=$(bash scripts/probe-32bit.sh); then
    emulator=""
    echo "=== linux-i686 builds and tests, run natively"
else
    bash scripts/ensure-packages.sh qemu-user
    emulator=$(command -v qemu-i386)
    echo "=== linux-i686 builds and tests, run under qemu-i386: $reason"
fi

# Instructions that only SSE2 has, in their legacy (not VEX) encoding: the baseline's own code.
sse2_pattern='^[[:space:]]*[0-9a-f]+:[[:space:]]+(pmaddwd|pcmpeqw|packuswb|psubw|pmovmskb)[[:space:]]'

for preset in linux-i686 linux-i686-scalar; do
    cmake --preset "$preset" -DKESTRUM_WARNINGS_AS_ERRORS=ON \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"

    # The tests only stand for the 32-bit DLL if they are 32-bit code; the DLL's form uses SSE2,
    # the scalar form no vector registers at all.
    for program in "build/$preset/tests/aserv/aserv_tests" \
        "build/$preset/tests/aserv/kernel/aserv_kernel_tests"; do
        objdump -f "$program" | grep -q 'file format elf32-i386' || {
            echo "$program is not a 32-bit x86 program"
            exit 1
        }
        # grep -c reads all its input: with -q, objdump would end on a broken pipe and the
        # pipeline fail with it.
        if [ "$preset" = linux-i686 ]; then
            objdump -d --no-show-raw-insn "$program" | grep -Ec "$sse2_pattern" >/dev/null || {
                echo "$program uses no SSE2 instructions"
                exit 1
            }
        elif objdump -d "$program" | grep -Ec '%[xyz]mm' >/dev/null; then
            echo "$program uses vector registers"
            exit 1
        fi
    done

    ctest --preset "$preset" -j "$(nproc)"
done
