#!/usr/bin/env bash
# Builds and runs every test: the Windows DLLs under Wine (the 32-bit one where this machine runs
# 32-bit code, otherwise checked statically), the 32-bit x86 build of the core (natively or
# under qemu-i386), a short fuzzing session, the Debian package of the command-line client, then
# the native debug and sanitizer builds with all unit and end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh $(cat scripts/native-packages.txt)

bash scripts/test-windows.sh

bash scripts/test-i686.sh

echo "=== fuzzing (bounded session)"
FUZZ_SECONDS=60 bash scripts/fuzz.sh

bash scripts/test-deb.sh

jobs=$(nproc)
for preset in dev asan; do
    echo "=== $preset build and tests"
    cmake --preset "$preset" -DKESTRUM_WARNINGS_AS_ERRORS=ON >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done
