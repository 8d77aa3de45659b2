#!/usr/bin/env bash
# Builds the core for 32-bit x86 (-m32 -march=i686: no SSE2, and no 128-bit integers on any
# 32-bit target), the arithmetic paths of the 32-bit DLL, and runs its unit and differential
# tests: natively where this machine runs 32-bit programs, otherwise under qemu-i386 user-mode
# emulation.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build gcc-multilib g++-multilib libgtest-dev
if reason=$(bash scripts/probe-32bit.sh); then
    emulator=""
    echo "=== linux-i686 build and tests, run natively"
else
    bash scripts/ensure-packages.sh qemu-user
    emulator=$(command -v qemu-i386)
    echo "=== linux-i686 build and tests, run under qemu-i386: $reason"
fi

cmake --preset linux-i686 -DKESTRUM_WARNINGS_AS_ERRORS=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$emulator" >/dev/null
cmake --build --preset linux-i686 -j "$(nproc)"

# The tests only stand for the 32-bit DLL if they are 32-bit code without SSE2 instructions.
for program in build/linux-i686/tests/aserv/aserv_tests \
    build/linux-i686/tests/aserv/kernel/aserv_kernel_tests; do
    objdump -f "$program" | grep -q 'file format elf32-i386' || {
        echo "$program is not a 32-bit x86 program"
        exit 1
    }
    if objdump -d "$program" | grep -q '%xmm'; then
        echo "$program uses SSE registers"
        exit 1
    fi
done

ctest --preset linux-i686 -j "$(nproc)"
