#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 programs natively; otherwise prints why not on
# standard output and exits 1. Builds and runs a tiny static 32-bit program (gcc-multilib).
# Installs gcc-multilib when missing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh gcc-multilib >/dev/null
probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
printf 'int main(void) { return 42; }\n' >"$probe_dir/probe.c"
if ! gcc -m32 -static -o "$probe_dir/probe" "$probe_dir/probe.c" 2>"$probe_dir/log"; then
    echo "a static 32-bit program does not link here: $(head -n 1 "$probe_dir/log")"
    exit 1
fi
status=0
"$probe_dir/probe" 2>"$probe_dir/log" || status=$?
if [ "$status" -ne 42 ]; then
    reason=$(head -n 1 "$probe_dir/log")
    reason=${reason##*: }
    echo "this machine does not run 32-bit x86 programs (${reason:-exit status $status})"
    exit 1
fi
