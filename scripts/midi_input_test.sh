#!/usr/bin/env bash
# Our MIDI input on JACK against a stand-in for a USB keyboard, on a private dummy server with
# 64-frame periods: the keyboard's port is seen and connected within a second of appearing, its
# messages arrive under one id, and killing it ends that id after its last message.
# Usage: scripts/midi_input_test.sh [build-dir]   (default: build; needs the targets
# tonvel_midi_input_probe and tonvel_jack_keyboard)
set -u

root="$(cd "$(dirname "$0")/.." && pwd)"
source "$root/scripts/lib/jack.sh"
source "$root/scripts/lib/work.sh"
build="${1:-$root/build}"
probe="$build/tests/tonvel_midi_input_probe"
keyboard="$build/tests/tonvel_jack_keyboard"
for tool in "$probe" "$keyboard"; do
    [[ -x "$tool" ]] || { echo "midi_input_test: $tool not found" >&2; exit 2; }
done

work_begin midi-input
work_private_dirs
export JACK_DEFAULT_SERVER="tonvel-midi-input-$$" JACK_NO_START_SERVER=1
fail() {
    echo "midi_input_test: $*" >&2
    echo "--- what the input printed:" >&2
    cat "$work/probe.out" >&2
    exit 1
}

jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" 64 || { cat "$work/jackd.log" >&2; exit 1; }
pids+=("$jack_pid")

"$probe" >"$work/probe.out" 2>"$work/probe.err" &
pids+=($!)
# The input is there once our client's port is.
for _ in $(seq 50); do
    jack_lsp 2>/dev/null | grep -qx 'Tonvel:Input' && break
    sleep 0.1
done
jack_lsp 2>/dev/null | grep -qx 'Tonvel:Input' || fail "no port Tonvel:Input"

mkfifo "$work/keys"
"$keyboard" Keys <"$work/keys" >"$work/keyboard.out" &
keyboard_pid=$!
pids+=("$keyboard_pid")
exec 3>"$work/keys"
plugged=$(date +%s%N)
# Connected within a second of the keyboard's port appearing.
until grep -q '^ready' "$work/keyboard.out" 2>/dev/null; do sleep 0.01; done
until jack_lsp -c Keys:midi_out 2>/dev/null | grep -q 'Tonvel:'; do
    (($(date +%s%N) - plugged < 1000000000)) || fail "the keyboard was not connected within 1 s"
    sleep 0.01
done
echo "midi_input_test: connected $((($(date +%s%N) - plugged) / 1000000)) ms after the keyboard started"
grep -q 'source Keys:midi_out hardware' "$work/probe.out" || fail "the keyboard is not listed as hardware"

printf 'on 60 100\ncc 64 127\non 64 0\noff 60\n' >&3
for _ in $(seq 100); do
    (($(grep -c ' message ' "$work/probe.out") >= 4)) && break
    sleep 0.02
done
# Pulled out: no chance to end its notes itself.
{ kill -9 "$keyboard_pid" && wait "$keyboard_pid"; } 2>/dev/null
exec 3>&-
for _ in $(seq 100); do
    grep -q ' gone ' "$work/probe.out" && break
    sleep 0.02
done

mapfile -t heard < <(awk '$2 == "message" || $2 == "gone" { print $2, $3, $4 }' "$work/probe.out")
id=$(awk '$2 == "message" { print $3; exit }' "$work/probe.out")
[[ -n "$id" ]] || fail "no message arrived"
expected=("message $id 643c90" "message $id 7f40b0" "message $id 004090" "message $id 403c80" "gone $id ")
[[ "${heard[*]}" == "${expected[*]}" ]] || fail "heard: ${heard[*]}; expected: ${expected[*]}"
echo "midi_input_test: passed (source id $id)"
