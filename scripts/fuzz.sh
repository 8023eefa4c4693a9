#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/*_fuzz.cpp) with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, then runs each for a while from its corpus in fuzz/corpus/.
# New inputs the fuzzer finds stay out of the tree; a crashing input is kept in
# build-fuzz/crashes/ and fails the run.
#
#   scripts/fuzz.sh [seconds per target] [target ...]     (default: 25 s, every target)
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}
shift $(($# > 0 ? 1 : 0))
build=build-fuzz

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTONVEL_FUZZ=ON \
    -DTONVEL_BUILD_APP=OFF -DTONVEL_BUILD_TESTS=OFF -DTONVEL_BUILD_BENCHMARKS=OFF >/dev/null || exit 1
cmake --build "$build" -j"${JOBS:-2}" --target tonvel_fuzzers >"$build/build.log" 2>&1 || {
    tail -n 40 "$build/build.log"
    exit 1
}

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for source in fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi

work=$(mktemp -d /tmp/tonvel-fuzz-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/crashes"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
failed=0
for target in "${targets[@]}"; do
    seeds=fuzz/corpus/$target
    [[ -d $seeds ]] || { echo "fuzz $target: no corpus in $seeds"; failed=1; continue; }
    mkdir -p "$work/$target"
    log=$work/$target.log
    if "$build/fuzz/$target" "$work/$target" "$seeds" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" >"$log" 2>&1; then
        runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+)/\1/p' "$log")
        coverage=$(grep -oE 'cov: [0-9]+' "$log" | tail -n1)
        echo "fuzz $target: ${seconds} s, ${runs:-?} runs, ${coverage:-cov: ?}, no failure"
    else
        echo "fuzz $target: FAILED"
        grep -vE '^#[0-9]+' "$log" | tail -n 40
        failed=1
    fi
done
exit $failed
