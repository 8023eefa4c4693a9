#!/usr/bin/env bash
# The MIDI input's own latency at JACK (a message at our port to the window's poll), on a
# private dummy server with 64-frame periods, quiet and beside two busy loops.
# Usage: scripts/bench_midi_input.sh [build-dir] [notes]   (needs tonvel_midi_input_latency)
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/lib/jack.sh"
source "$root/scripts/lib/work.sh"
build="${1:-$root/build}"
notes="${2:-2000}"
tool="$build/tests/tonvel_midi_input_latency"
[[ -x "$tool" ]] || { echo "bench_midi_input: $tool not found" >&2; exit 2; }

work_begin midi-input-bench
work_private_dirs
export JACK_DEFAULT_SERVER="tonvel-midi-input-bench-$$" JACK_NO_START_SERVER=1
jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" 64 || { cat "$work/jackd.log" >&2; exit 1; }
pids+=("$jack_pid")
((jack_realtime)) || echo "bench_midi_input: the server runs without real-time priority" >&2

echo "quiet: $("$tool" "$notes")"
for _ in 1 2; do
    sh -c 'while :; do :; done' &
    pids+=($!)
done
echo "two busy loops: $("$tool" "$notes")"
