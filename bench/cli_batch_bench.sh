#!/usr/bin/env bash
# Throughput of `kestrum -` beside bc on one stream of 100,000 additions and multiplications of
# 20-digit numbers (alternating), in one process each. Builds the release client
# (build/release), checks that both give the same results, and prints each one's best time over
# three rounds and the ratio.
#   LINES  number of operations (default 100000)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build g++ bc

cmake --preset release >/dev/null
cmake --build --preset release --target kestrum -j "${JOBS:-2}" >/dev/null
kestrum=build/release/src/cli/kestrum

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The same random operand pairs in both notations; srand with a fixed seed repeats them.
awk -v lines="${LINES:-100000}" -v kin="$work/kestrum.in" -v bin="$work/bc.in" 'BEGIN {
    srand(20);
    for (i = 0; i < lines; i++) {
        a = 1 + int(rand() * 9); b = 1 + int(rand() * 9);
        for (k = 1; k < 20; k++) { a = a int(rand() * 10); b = b int(rand() * 10) }
        if (i % 2 == 0) { print "iadd\t" a "\t" b > kin; print a "+" b > bin }
        else { print "imult\t" a "\t" b > kin; print a "*" b > bin }
    }
}'

now() { date +%s%N; }
best_kestrum=0
best_bc=0
for round in 1 2 3; do
    start=$(now)
    "$kestrum" - <"$work/kestrum.in" >"$work/kestrum.out"
    middle=$(now)
    BC_LINE_LENGTH=0 bc <"$work/bc.in" >"$work/bc.out"
    stop=$(now)
    k=$((middle - start))
    b=$((stop - middle))
    if [ "$best_kestrum" -eq 0 ] || [ "$k" -lt "$best_kestrum" ]; then best_kestrum=$k; fi
    if [ "$best_bc" -eq 0 ] || [ "$b" -lt "$best_bc" ]; then best_bc=$b; fi
done

if ! cmp -s "$work/kestrum.out" "$work/bc.out"; then
    echo "kestrum - and bc disagree:" >&2
    diff "$work/kestrum.out" "$work/bc.out" | head -5 >&2
    exit 1
fi

lines=$(wc -l <"$work/kestrum.in")
echo "=== batch mode against bc: $lines additions and multiplications of 20-digit numbers"
awk -v k="$best_kestrum" -v b="$best_bc" -v n="$lines" 'BEGIN {
    printf "kestrum -  %8.1f ms  %6.2f us/line\n", k / 1e6, k / 1e3 / n;
    printf "bc         %8.1f ms  %6.2f us/line\n", b / 1e6, b / 1e3 / n;
    printf "kestrum - throughput / bc throughput: %.1f\n", b / k;
}'
