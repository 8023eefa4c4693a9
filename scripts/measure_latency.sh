#!/usr/bin/env bash
# Measures key-to-sound latency of the real program from outside: Xvfb for the window,
# a PulseAudio null sink for the sound, XTest key presses, onsets found in a recording
# of the sink. Also reports the level of one note and of a chord with drums.
#   scripts/measure_latency.sh [BUILD_DIR] [PRESSES]
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
presses=${2:-30}
work=$(mktemp -d /tmp/tonvel-latency-XXXXXX)
source "$(dirname "$0")/lib/x11.sh"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [[ -n ${PULSE_STARTED:-} ]] && pulseaudio --kill 2>/dev/null
    [[ -n ${KEEP:-} ]] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio --daemonize=yes --system=false --exit-idle-time=-1 --realtime=no --high-priority=no -n \
    --load="module-null-sink sink_name=test_null rate=48000" --load=module-native-protocol-unix \
    >/dev/null 2>&1 || { echo "PulseAudio did not start"; exit 1; }
PULSE_STARTED=1
pactl set-default-sink test_null

xvfb_start 190 || { echo "Xvfb did not start"; exit 1; }
pids+=("$xvfb_pid")

cp "$build/tonvel" "$work/"
"$work/tonvel" >"$work/tonvel.log" 2>&1 &
program=$!
pids+=($program)
focus_program_window || { echo "the window did not appear"; exit 1; }
sleep 1.5

echo "== resident memory after start: $(awk '/VmRSS/ {print $2/1024 " MB"}' /proc/$program/status)"
echo "== key to sound (Z, $presses presses)"
"$build/tests/tonvel_key_latency" test_null.monitor 52 "$presses" 0.003

echo "== levels"
parecord --device=test_null.monitor --file-format=wav "$work/one.wav" &
rec=$!
sleep 0.5
"$build/tests/tonvel_xkey" tap 52 1500
sleep 0.5
kill $rec; wait $rec 2>/dev/null
echo -n "one note at velocity 127, first instrument (Rock Organ): "
sox "$work/one.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {printf "peak %.3f (%.1f dBFS)\n", $3, 20*log(($3>0?$3:1e-9))/log(10)}'

"$build/tests/tonvel_xkey" tap 110 50   # Home: Acoustic Grand Piano
sleep 0.3
parecord --device=test_null.monitor --file-format=wav "$work/piano.wav" &
rec=$!
sleep 0.5
"$build/tests/tonvel_xkey" tap 24 1500  # Q: note 71 at base note E
sleep 0.5
kill $rec; wait $rec 2>/dev/null
echo -n "one piano note at velocity 127: "
sox "$work/piano.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {printf "peak %.3f (%.1f dBFS)\n", $3, 20*log(($3>0?$3:1e-9))/log(10)}'

parecord --device=test_null.monitor --file-format=wav "$work/chord.wav" &
rec=$!
sleep 0.5
for key in 52 54 56 58 59 61 24 26 28 30; do "$build/tests/tonvel_xkey" down $key; done
for key in 88 87 80; do "$build/tests/tonvel_xkey" down $key; done
sleep 1.5
for key in 52 54 56 58 59 61 24 26 28 30 88 87 80; do "$build/tests/tonvel_xkey" up $key; done
sleep 0.5
kill $rec; wait $rec 2>/dev/null
echo -n "ten notes and three drums: "
sox "$work/chord.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {printf "peak %.3f (%.1f dBFS)\n", $3, 20*log(($3>0?$3:1e-9))/log(10)}'
