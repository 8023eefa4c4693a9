#!/usr/bin/env bash
# Runs the mixer tests against a private PulseAudio server with a null sink, which ALSA's
# pulse plugin makes the "default" mixer.
# Usage: scripts/mixer_test.sh [build-dir]   (default: build)
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/lib/jack.sh"  # stop_and_wait
source "$root/scripts/lib/gtest.sh"
build="${1:-$root/build}"
tests="$build/tests/tonvel_mixer_tests"
midi_tests="$build/tests/tonvel_midi_tests"
if [[ ! -x "$tests" ]]; then
    echo "mixer_test: $tests not found; build the target tonvel_mixer_tests first" >&2
    exit 2
fi

# Everything the server and its clients keep goes under a directory of our own, so a
# PulseAudio someone else runs is neither used nor disturbed.
dir="$(mktemp -d -t tonvel-pulse.XXXXXX)"
chmod 700 "$dir"
mkdir -m 700 "$dir/runtime" "$dir/config"
export HOME="$dir" XDG_CONFIG_HOME="$dir/config" XDG_RUNTIME_DIR="$dir/runtime"
export PULSE_RUNTIME_PATH="$dir/runtime/pulse" PULSE_STATE_PATH="$dir/state"
export PULSE_SERVER="unix:$dir/runtime/pulse/native"
printf 'autospawn = no\n' >"$dir/client.conf"
export PULSE_CLIENTCONFIG="$dir/client.conf"
sink=tonvel_test_null
log="$dir/pulseaudio.log"
pulse_pid=""

cleanup() {
    [[ -n "$pulse_pid" ]] && stop_and_wait "$pulse_pid" && wait "$pulse_pid" 2>/dev/null
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

pulseaudio --daemonize=no --system=false --exit-idle-time=-1 --realtime=no --high-priority=no \
    --use-pid-file=no --log-target=stderr -n \
    --load="module-null-sink sink_name=$sink rate=48000" \
    --load=module-native-protocol-unix >"$log" 2>&1 &
pulse_pid=$!
ready=0
for _ in $(seq 50); do
    kill -0 "$pulse_pid" 2>/dev/null || break
    if pactl info >/dev/null 2>&1; then ready=1; break; fi
    sleep 0.1
done
if [[ $ready -ne 1 ]]; then
    echo "mixer_test: the PulseAudio server did not start:" >&2
    cat "$log" >&2
    exit 1
fi

# The first test expects to find the master output muted at 25%.
if ! pactl set-sink-mute "$sink" 1 || ! pactl set-sink-volume "$sink" 25%; then
    echo "mixer_test: could not prepare the sink" >&2
    exit 1
fi

output="$(TONVEL_PULSE_TESTS=1 "$tests" 2>&1)"
status=$?
gtest_show
gtest_require_all_passed mixer_test "the PulseAudio tests" || exit 1
# The built-in synthesizer's own way to the server.
if [[ -x "$midi_tests" ]]; then
    output="$(TONVEL_PULSE_TESTS=1 "$midi_tests" --gtest_filter='PulseAudioOutput.*' 2>&1)"
    status=$?
    gtest_show
    gtest_require_all_passed mixer_test "the PulseAudio output tests" || exit 1
fi
# The last mixer test ran the startup settings, which must leave the server's sink sounding.
mute="$(pactl get-sink-mute "$sink" 2>&1)"
if [[ "$mute" != "Mute: no" ]]; then
    echo "mixer_test: the sink is not unmuted after the startup settings: $mute" >&2
    exit 1
fi
echo "mixer_test: passed"
