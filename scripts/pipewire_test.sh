#!/usr/bin/env bash
# Runs the built-in synthesizer's sound path once against a private PipeWire session
# (pipewire, wireplumber, pipewire-pulse, with a null sink): its own PipeWire stream, the
# PulseAudio stream through PipeWire's PulseAudio side, and the refusal of a stream that no
# session manager links, which sends the sound on to the next output.
# Usage: scripts/pipewire_test.sh [build-dir]   (default: build)
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/lib/jack.sh"  # stop_and_wait
source "$root/scripts/lib/gtest.sh"
source "$root/scripts/lib/work.sh"
source "$root/scripts/lib/pipewire.sh"
build="${1:-$root/build}"
tests="$build/tests/tonvel_midi_tests"
if [[ ! -x "$tests" ]]; then
    echo "pipewire_test: $tests not found; build the target tonvel_midi_tests first" >&2
    exit 2
fi

work_begin pipewire
trap 'pipewire_stop; work_end' EXIT
trap 'exit 130' INT TERM
work_private_dirs
export JACK_DEFAULT_SERVER=tonvel-pipewire-test-$$ JACK_NO_START_SERVER=1

if ! pipewire_start "$work"; then
    echo "pipewire_test: the PipeWire session did not start:" >&2
    tail -n 5 "$work"/pipewire/*.log >&2
    exit 1
fi

output="$(TONVEL_PIPEWIRE_TESTS=1 TONVEL_PULSE_TESTS=1 "$tests" \
    --gtest_filter='PipeWireOutput.PlaysThroughTheServerWithThePeriodAsked:PulseAudioOutput.PlaysThroughTheServerWithThePeriodAsked' 2>&1)"
status=$?
gtest_show
gtest_require_all_passed pipewire_test "the PipeWire and PulseAudio output tests" || exit 1

# Without its session manager the server links no new stream to a sink.
stop_and_wait "${pipewire_pids[2]}"
output="$(TONVEL_PIPEWIRE_UNLINKED=1 "$tests" --gtest_filter='PipeWireOutput.AStreamNoSinkTakesIsRefused' 2>&1)"
status=$?
gtest_show
gtest_require_all_passed pipewire_test "the unlinked stream test" || exit 1
echo "pipewire_test: passed"
