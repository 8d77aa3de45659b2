#!/usr/bin/env bash
# Builds the command-line client and shows each operation once.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null

kestrum=build/release/src/cli/kestrum
show() {
    printf '$ kestrum %s\n' "$*"
    "$kestrum" "$@" || true
}
show iadd " 12 345" -45
show isub 1000 999
show imult 99999999999999999999 99999999999999999999
show idiv 123456789012345678901234567890 97
show icomp -0 0
show radd 0.1 0.2
show rsub 0.05 0.07
show rmult 1.5 2
show iadd 1a 1
