#!/usr/bin/env bash
# Builds the calculator's timing program (Release, build/bench) and times `kestrum calc` beside
# mpmath with gmpy2 at 10000 places and bc -l at 3000 places, all in one run
# (bench/peer_calc.py). A benchmark: it prints figures and checks nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++ libgmp-dev libedit-dev python3-mpmath \
    python3-gmpy2 bc
build=build/bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUM_BUILD_TESTS=OFF \
    -DKESTRUM_BUILD_BENCH=ON -DKESTRUM_WARNINGS_AS_ERRORS=OFF >/dev/null
cmake --build "$build" --target calc_timing -j "${JOBS:-2}"
/usr/bin/python3 bench/peer_calc.py "$build/bench/calc_timing"
