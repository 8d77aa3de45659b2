#!/usr/bin/env bash
# Builds the libFuzzer target with clang in build/fuzz and runs one bounded session on a copy of
# the seed corpus (fuzz/corpus is left as it is). Exits non-zero on any finding: a crash, a
# disagreement between the entry points and the step-by-step path, a sanitizer report, a leak or
# an input slower than FUZZ_TIMEOUT. Any crashing input is kept in build/fuzz/findings/.
#   FUZZ_SECONDS  length of the session (default 60)
#   FUZZ_TIMEOUT  seconds one input may take (default 60)
#   FUZZ_SEED     the fuzzer's random seed (default 1, so that a session is repeatable)
#   JOBS          parallel build jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh cmake ninja-build clang libclang-rt-14-dev

build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRUM_BUILD_TESTS=OFF -DKESTRUM_BUILD_FUZZ=ON -DKESTRUM_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build "$build" --target arithm_fuzz -j "${JOBS:-2}"

corpus=$build/corpus
findings=$build/findings
log=$build/fuzz.log
rm -rf "$corpus" "$findings"
mkdir -p "$corpus" "$findings"
cp fuzz/corpus/* "$corpus"/

echo "=== fuzzing for ${FUZZ_SECONDS:-60} s (log: $log)"
status=0
"$build/fuzz/arithm_fuzz" -max_total_time="${FUZZ_SECONDS:-60}" -timeout="${FUZZ_TIMEOUT:-60}" -seed="${FUZZ_SEED:-1}" \
    -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/" \
    "$corpus" 2>"$log" || status=$?
if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzzing found a problem (exit $status); inputs in $findings" >&2
    exit "$status"
fi
grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
echo "fuzzing: no findings"
