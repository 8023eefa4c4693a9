#!/usr/bin/env bash
# Key to sound and dropouts through one sound server, measured from outside the real program:
# a private server with a null sink, Xvfb, XTest presses of Z, the sound recorded at the sink's
# monitor, against a reference click written straight to the same server. Each figure quiet and
# again beside two busy loops, then a held organ chord recorded for dropouts beside them.
#   scripts/bench_sound.sh BUILD_DIR pipewire|pulseaudio [program options...]
# Environment: PRESSES=30, DROPOUT_SECONDS=120 (0 skips the dropouts), KEEP=1 keeps the logs,
# PROGRAM=path measures another build of the program with this build's tools, WRAP=pw-jack runs
# it through that wrapper (PipeWire's libjack in the place of JACK's).
# The PulseAudio server runs at real-time priority, as a desktop's does through rtkit; so do
# PipeWire's daemons, which raise themselves.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd) || exit 2
server=$2
shift 2
presses=${PRESSES:-30}
dropout_seconds=${DROPOUT_SECONDS:-120}
tools=$build/tests

source "$root/scripts/lib/jack.sh"
source "$root/scripts/lib/x11.sh"
source "$root/scripts/lib/pulse.sh"
source "$root/scripts/lib/pipewire.sh"
source "$root/scripts/lib/busy.sh"

work=$(mktemp -d /tmp/tonvel-sound-XXXXXX)
pids=()
program=""
cleanup() {
    busy_stop
    [[ -n $program ]] && stop_and_wait "$program"
    pipewire_stop
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    [[ -n ${KEEP:-} ]] && echo "kept $work" || rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$TMPDIR" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export JACK_DEFAULT_SERVER=tonvel-sound-$$ JACK_NO_START_SERVER=1

case $server in
pipewire)
    pipewire_start "$work" || { echo "PipeWire did not start"; exit 1; }
    echo "server: $(pactl info | sed -n 's/^Server Name: //p'), quantum $(pw-metadata -n settings 0 clock.quantum | sed -n "s/.*value:'\([0-9]*\)'.*/\1/p") by default" ;;
pulseaudio)
    PULSE_REALTIME=1 pulse_start "$work" || { echo "PulseAudio did not start"; exit 1; }
    pids+=("$pulse_pid")
    echo "server: $(pactl info | sed -n 's/^Server Name: //p') $(pactl info | sed -n 's/^Server Version: //p')" ;;
*) echo "usage: $0 BUILD_DIR pipewire|pulseaudio [program options...]"; exit 2 ;;
esac
xvfb_start 600 || { echo "Xvfb did not start"; exit 1; }
pids+=("$xvfb_pid")
mkdir -p "$work/program"
cp "${PROGRAM:-$build/tonvel}" "$work/program/tonvel"
touch "$work/program/firstrun.kvx"  # no welcome question

# shellcheck disable=SC2086
${WRAP:-} "$work/program/tonvel" "$@" >"$work/tonvel.log" 2>&1 &
program=$!
focus_program_window || { echo "the window did not appear"; exit 1; }
sleep 1.5

# What the server made of the program's stream: its latency and the graph's quantum.
stream_facts() {
    if [[ $server == pipewire ]]; then
        # The graph runs at the shortest latency its nodes ask, within the server's limits.
        pw-dump 2>/dev/null | python3 -c '
import json, sys
nodes = [o["info"]["props"] for o in json.load(sys.stdin)
         if o.get("type") == "PipeWire:Interface:Node" and o.get("info")]
print("; ".join("%s %s" % (p.get("node.name", "?"), p.get("node.latency", "-")) for p in nodes
                if "node.latency" in p or p.get("node.name") == "test_null"))'
    else
        pactl list sink-inputs | awk '/Sink Latency|Buffer Latency/ {printf "%s ", $0} END {print ""}' |
            tr -s ' \t' ' '
    fi
}
echo "stream: $(stream_facts)"
[[ -n ${WRAP:-} ]] && echo "run through: $WRAP"

# The measuring tool records and clicks at real-time priority where allowed, so that beside the
# busy loops it measures the server and the program, not its own lateness.
measure=("$tools/tonvel_key_latency")
chrt -f 50 true 2>/dev/null && measure=(chrt -f 50 "$tools/tonvel_key_latency")
# Presses of Z alternate with clicks written straight to the server, in one recording: the
# key's figures, the click's and the key's over the click's median. On PipeWire the click comes
# from a PipeWire stream of its own, the shortest way there, and again through its PulseAudio
# side, which keeps 256 frames of buffer for every client.
measure_over() {
    "${measure[@]}" test_null.monitor "52+$1" $((2 * presses)) 0.003 >"$work/$1.log" || return 1
    awk -v label="$2" -v kind="$1" -v t="$presses" '
        /^median/ { key = sprintf("key %s / %s ms", $2, $5); n = $(NF - 4) }
        /^click median/ { click = sprintf("click %s / %s ms", $3, $6) }
        /^over the click/ { over = sprintf("over the click %s / %s ms", $5, $8) }
        END { printf "%-11s %-8s %s (median / p90); %s; %s; %s of %s sounded\n", label, kind, key, click, over, n, t }' \
        "$work/$1.log"
}
references=(click)
[[ $server == pipewire ]] && references=(pwclick click)
for reference in "${references[@]}"; do measure_over "$reference" quiet; done
busy_start
for reference in "${references[@]}"; do measure_over "$reference" "busy loops"; done
busy_stop

if [[ $dropout_seconds -gt 0 ]]; then
    for key in 52 56 59; do "$tools/tonvel_xkey" down $key; done
    sleep 1
    busy_start
    echo "dropouts, held chord beside two busy loops, $dropout_seconds s: $(timeout "$dropout_seconds" \
        parecord --device=test_null.monitor --raw --format=float32le --channels=2 --rate=48000 |
        "$tools/tonvel_audio_gaps" 48000 0.5)"
    busy_stop
    for key in 52 56 59; do "$tools/tonvel_xkey" up $key; done
fi
echo "stream at the end: $(stream_facts)"
grep -i -E 'buffer is now|dropout' "$work/tonvel.log" | tail -n 3
