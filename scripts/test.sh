#!/usr/bin/env bash
# Builds and runs every test: the debug build, the sanitizer build, and (when the platform
# packages are present or can be installed) the Windows DLLs under Wine.
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
