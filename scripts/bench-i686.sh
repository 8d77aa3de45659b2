#!/usr/bin/env bash
# Builds the Arithm benchmark for 32-bit x86 (Release, the linux-i686 toolchain: SSE2, as the
# 32-bit DLL is built) against Debian's GMP for i386, and runs it: Kestrum side by side with
# GMP-i686, text in and text out, under the rules of scripts/bench.sh (six heap layouts, each
# contender's best round, the slowest layout reported), then the worst inputs at the length limit.
# libmpdec is left out: Python's decimal would run in a 64-bit process, and the goals of this
# table are set against GMP for the same target. Where this machine does not run 32-bit x86
# programs it says so in one line and stops. A benchmark: it prints figures and checks nothing.
#   JOBS                    parallel build jobs (default 2)
#   KESTRUM_BENCH_BUILD     build folder (default build/bench-i686)
#   KESTRUM_BENCH_NO_TRIM=1 keep glibc from giving the top of the heap back between calls
#   KESTRUM_BENCH_ONLY=add  time only the workloads whose name holds this, no worst inputs
set -euo pipefail
cd "$(dirname "$0")/.."

if ! reason=$(bash scripts/probe-32bit.sh); then
    echo "No 32-bit benchmark: $reason"
    exit 0
fi
# GMP for i386 is a package of Debian's i386 architecture, which dpkg must know as a foreign one.
if [ "$(dpkg --print-architecture)" != i386 ] &&
    ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "libgmp-dev:i386 needs the i386 architecture: dpkg --add-architecture i386 && apt-get update" >&2
    exit 1
fi
bash scripts/ensure-packages.sh cmake ninja-build gcc-multilib g++-multilib libgmp-dev:i386

# The toolchain keeps the host's 64-bit library folders out of the search; CMake finds GMP in
# /usr/lib/i386-linux-gnu and gmp.h in /usr/include/i386-linux-gnu, the folders of the 32-bit
# compiler's library architecture.
build=${KESTRUM_BENCH_BUILD:-build/bench-i686}
# (--no-warn-unused-cli: a configured folder keeps its toolchain and ignores the option.)
cmake -S . -B "$build" -G Ninja --toolchain cmake/toolchains/linux-i686.cmake --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=Release -DKESTRUM_BUILD_TESTS=OFF -DKESTRUM_BUILD_BENCH=ON \
    -DKESTRUM_WARNINGS_AS_ERRORS=OFF -DKESTRUM_LINE_EDITING=OFF >/dev/null
cmake --build "$build" --target arithm_bench -j "${JOBS:-2}"

program="$build/bench/arithm_bench"
objdump -f "$program" | grep -q 'file format elf32-i386' || {
    echo "$program is not a 32-bit x86 program"
    exit 1
}
gmp=$(grep '^KESTRUM_BENCH_GMP:' "$build/CMakeCache.txt" | cut -d= -f2)
objdump -f "$gmp" | grep -q 'file format elf32-i386' || {
    echo "GMP found at $gmp is not a 32-bit x86 library"
    exit 1
}
"$program" --no-libmpdec
