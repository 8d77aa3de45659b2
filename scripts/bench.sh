#!/usr/bin/env bash
# Builds the Arithm benchmark (Release, build/bench) and runs it: Kestrum side by side with GMP
# and with libmpdec through Python's decimal module, then the worst inputs at the length limit.
# Then the command-line client's batch mode beside bc (bench/cli_batch_bench.sh).
# The benchmark runs with glibc's default heap trimming, as client processes do.
#   JOBS                    parallel build jobs (default 2)
#   KESTRUM_BENCH_NO_TRIM=1 keep glibc from giving the top of the heap back between calls
#   KESTRUM_BENCH_ONLY=add  time only the workloads whose name holds this, no worst inputs
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++ libgmp-dev python3

build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUM_BUILD_TESTS=OFF \
    -DKESTRUM_BUILD_BENCH=ON -DKESTRUM_WARNINGS_AS_ERRORS=OFF >/dev/null
cmake --build "$build" --target arithm_bench -j "${JOBS:-2}"
"$build/bench/arithm_bench" bench/peer_decimal.py
bash bench/cli_batch_bench.sh
# The same call through COM, under Wine when it is installed.
bash scripts/com-timing.sh
