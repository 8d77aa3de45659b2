#!/usr/bin/env bash
# Builds and runs every test: the debug build, the sanitizer build, the Windows DLLs (64-bit
# under Wine, 32-bit checked statically) and a short fuzzing session.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh $(cat scripts/native-packages.txt)

jobs=$(nproc)
for preset in dev asan; do
    echo "=== $preset build and tests"
    cmake --preset "$preset" -DKESTRUM_WARNINGS_AS_ERRORS=ON >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    ctest --preset "$preset" -j "$jobs"
done

bash scripts/test-windows.sh

echo "=== fuzzing (bounded session)"
FUZZ_SECONDS=60 bash scripts/fuzz.sh
