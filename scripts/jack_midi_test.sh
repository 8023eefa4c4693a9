#!/usr/bin/env bash
# Runs the MIDI tests that need a JACK server against a private dummy server.
# Usage: scripts/jack_midi_test.sh [build-dir]   (default: build)
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/lib/jack.sh"
source "$root/scripts/lib/gtest.sh"
build="${1:-$root/build}"
tests="$build/tests/tonvel_midi_tests"
if [[ ! -x "$tests" ]]; then
    echo "jack_midi_test: $tests not found; build the target tonvel_midi_tests first" >&2
    exit 2
fi

# A server name of our own, so a JACK server someone else runs is neither used nor disturbed.
export JACK_DEFAULT_SERVER="tonvel-midi-test-$$"
export JACK_NO_START_SERVER=1
log="$(mktemp -t tonvel-jackd.XXXXXX)"
jack_pid=""

cleanup() {
    [[ -n "$jack_pid" ]] && stop_and_wait "$jack_pid"
    rm -f "$log"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if ! jack_start "$JACK_DEFAULT_SERVER" "$log"; then
    echo "jack_midi_test: the JACK server did not start:" >&2
    cat "$log" >&2
    exit 1
fi

run_suite() {
    output="$(TONVEL_JACK_TESTS=1 "$tests" \
        --gtest_filter='JackPorts.*:JackInput.*:AudioOutputChain.AJackServer*' 2>&1)"
    status=$?
    gtest_show
}

run_suite
# A run killed by a signal, with no test failing, is a crash in a client library's
# threads rather than a wrong answer: show everything, then give the suite one more go.
if [[ $status -gt 128 ]] && ! grep -q '^\[  FAILED  \]' <<<"$output"; then
    echo "jack_midi_test: the suite died with signal $((status - 128)); its whole output:" >&2
    echo "$output" | grep -v -E '^ALSA lib|^fluidsynth:' >&2
    echo "jack_midi_test: running it once more" >&2
    run_suite
fi
gtest_require_all_passed jack_midi_test "the JACK tests" || exit 1
echo "jack_midi_test: passed"
