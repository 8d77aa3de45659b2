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

# The kernel's functions that call libgcc's 64-bit division helpers (once for each operand or
# transform, outside the digit and limb loops), from the given objects: any other caller fails
# the run. A division of a 64-bit word by a constant is a helper call on 32-bit x86, where the
# loops cut by the limb base with 32-bit products instead.
allowed_callers='Magnitudes|divideLimbs|RootTable::RootTable|::convolve\('
check_division_calls() {
    local callers
    callers=$(objdump -dr -C "$@" | awk '
        /^[0-9a-f]+ <.*>:$/ { name = $0 }
        $2 ~ /^(R_386_PC32|R_386_PLT32|DISP32)$/ && $3 ~ /^_*u?(div|mod)di3$|^_*u?divmoddi4$/ {
            print name " calls " $3
        }' | sort -u)
    if echo "$callers" | grep -Ev "$allowed_callers" | grep -c . >/dev/null; then
        echo "kernel functions call 64-bit division helpers:"
        echo "$callers" | grep -Ev "$allowed_callers"
        exit 1
    fi
}

# The 32-bit Windows stack is only 4-byte aligned on entry: every function of the kernel built for
# the 32-bit DLL that touches stack slots with instructions that need 16- or 32-byte alignment
# must realign its stack first. Those are the aligned moves, and the SSE instructions without the
# VEX prefix that read whole vectors from memory (the unaligned and the partial moves, scalar
# operations and conversions are free of it).
check_aligned_stack_slots() {
    local unaligned
    unaligned=$(objdump -d --no-show-raw-insn -C "$@" | awk '
        function report() { if (aligned && !realigned) print name }
        /^[0-9a-f]+ <.*>:$/ { report(); name = $0; aligned = 0; realigned = 0; next }
        /[[:space:]]and[[:space:]]+\$0xffffff[ef]0,%esp/ { realigned = 1 }
        !/\(%e(sp|bp)/ { next }
        $2 ~ /^v?mov(dqa|dqa32|dqa64|aps|apd|ntdq|ntps|ntpd)$/ { aligned = 1 }
        $2 !~ /^v/ && $3 ~ /%xmm/ &&
            $2 !~ /^(mov(ups|upd|dqu|q|d|lps|hps|lpd|hpd)|cvt.*|.*s[sd]|pinsr.|pextr.)$/ {
            aligned = 1
        }
        END { report() }')
    if [ -n "$unaligned" ]; then
        echo "kernel functions use aligned stack slots without realigning the stack:"
        echo "$unaligned"
        exit 1
    fi
}

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

    check_division_calls "build/$preset/src/aserv/CMakeFiles/kestrum_aserv.dir/kernel/"*.o

    ctest --preset "$preset" -j "$(nproc)"
done

# The kernel as the 32-bit DLL builds it, where mingw-w64 is installed (Release flags and the
# instruction set of cmake/toolchains/x86-sse2.cmake): the same division check, and the stack.
if command -v i686-w64-mingw32-g++-posix >/dev/null; then
    echo "=== kernel objects of the 32-bit DLL"
    arch_flags=$(sed -n 's/^set(KESTRUM_X86_ARCH_FLAGS "\(.*\)")$/\1/p' cmake/toolchains/x86-sse2.cmake)
    objects=$(mktemp -d)
    trap 'rm -rf "$objects"' EXIT
    for source in src/aserv/kernel/*.cpp; do
        # shellcheck disable=SC2086
        i686-w64-mingw32-g++-posix -std=c++20 -O3 -DNDEBUG $arch_flags -Isrc/aserv \
            -c "$source" -o "$objects/$(basename "$source" .cpp).obj"
    done
    check_division_calls "$objects"/*.obj
    check_aligned_stack_slots "$objects"/*.obj
fi
