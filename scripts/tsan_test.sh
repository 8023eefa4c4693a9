#!/usr/bin/env bash
# The tests of the code that runs threads (the timed sender, the audio outputs and their
# render threads, real-time priority through rtkit, the JACK, PulseAudio and PipeWire clients)
# built with ThreadSanitizer: alone, then against a private JACK server, a private PulseAudio
# server and a private PipeWire session.
# The core's tests start no thread (no std::thread or std::async in tests/core or the core),
# so they are left to the other sanitizer build.
#
#   scripts/tsan_test.sh [build-dir]     (default: build-tsan; configured and built here)
#
# Prints "tsan: N passed, M failed" last; fails if any test failed or ThreadSanitizer reported.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/lib/jack.sh"
source "$root/scripts/lib/pulse.sh"
source "$root/scripts/lib/pipewire.sh"
build=${1:-build-tsan}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DTONVEL_TSAN=ON -DTONVEL_BUILD_APP=OFF \
    -DTONVEL_BUILD_BENCHMARKS=OFF >/dev/null || exit 1
cmake --build "$build" -j"${JOBS:-2}" --target tonvel_midi_tests >"$build/tsan-build.log" 2>&1 || {
    tail -n 40 "$build/tsan-build.log"
    echo "tsan: 0 passed, 1 failed"
    exit 1
}
tests=$(cd "$build" && pwd)/tests/tonvel_midi_tests

work=$(mktemp -d /tmp/tonvel-tsan-XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$TMPDIR"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export JACK_DEFAULT_SERVER=tonvel-tsan-$$ JACK_NO_START_SERVER=1
# Frames are left unnamed while the tests run: naming them for a report, even one the
# suppressions then drop, takes longer than a JACK cycle inside a process callback, and the
# cycle's messages are lost. A failing run is repeated with names for the reader.
options="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp"
export TSAN_OPTIONS="$options symbolize=0"

passed=0
failed=0
# Runs the tests with the given arguments as one part; adds its counts to the totals.
run_part() {
    local name=$1 log=$work/$1.log status ok bad
    shift
    echo "-- $name"
    "$tests" "$@" >"$log" 2>&1
    status=$?
    ok=$(grep -cE '^\[       OK \]' "$log")
    bad=$(grep -cE '^\[  FAILED  \] .*\([0-9]+ ms\)$' "$log")
    if [[ $status -ne 0 && $bad -eq 0 ]]; then bad=1; fi
    passed=$((passed + ok))
    failed=$((failed + bad))
    echo "tsan $name: $ok passed, $bad failed$([[ $status -ne 0 ]] && echo " (exit status $status)")"
    if [[ $status -ne 0 ]]; then
        grep -E '^\[  FAILED  \]|Failure$|Which is' "$log"
        echo "--- the run again, with the frames named:"
        TSAN_OPTIONS="$options symbolize=1" "$tests" "$@" 2>&1 |
            grep -vE '^ALSA lib|^fluidsynth:' | sed -n '/WARNING: ThreadSanitizer/,/^SUMMARY/p' | head -n 80
    fi
}

run_part "alone"

if jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log"; then
    pids+=("$jack_pid")
    TONVEL_JACK_TESTS=1 run_part "with JACK" --gtest_filter='JackPorts.*:JackInput.*:AudioOutputChain.AJackServer*'
    stop_and_wait "$jack_pid"
    unset 'pids[-1]'
else
    echo "tsan: the JACK server did not start: $(tail -n 5 "$work/jackd.log")"
    failed=$((failed + 1))
fi

if pulse_start "$work"; then
    pids+=("$pulse_pid")
    TONVEL_PULSE_TESTS=1 run_part "with PulseAudio" --gtest_filter='PulseAudioOutput.*'
else
    echo "tsan: the PulseAudio server did not start: $(tail -n 5 "$work/pulse/log")"
    failed=$((failed + 1))
fi

if pipewire_start "$work"; then
    pids+=("${pipewire_pids[@]}")
    TONVEL_PIPEWIRE_TESTS=1 run_part "with PipeWire" --gtest_filter='PipeWireOutput.*'
else
    echo "tsan: the PipeWire session did not start: $(tail -n 5 "$work"/pipewire/*.log)"
    failed=$((failed + 1))
fi

echo "tsan: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
