#!/usr/bin/env bash
# Key to sound and dropouts through one sound server, measured from outside the real program:
# a private server with a null sink, Xvfb, XTest presses of Z, the sound recorded at the sink's
# monitor, against a reference click written straight to the same server. Each figure quiet and
# again beside two busy loops, then a held organ chord recorded for dropouts beside them.
#   scripts/bench_sound.sh BUILD_DIR pipewire|pulseaudio [program options...]
# Environment: PRESSES=30, DROPOUT_SECONDS=120 (0 skips the dropouts), KEEP=1 keeps the logs,
# PROGRAM=path measures another build of the program with this build's tools.
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

"$work/program/tonvel" "$@" >"$work/tonvel.log" 2>&1 &
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

# The measuring tool records and clicks at real-time priority where allowed, so that beside the
# busy loops it measures the server and the program, not its own lateness.
measure=("$tools/tonvel_key_latency")
chrt -f 50 true 2>/dev/null && measure=(chrt -f 50 "$tools/tonvel_key_latency")
# One measure: "median p90" of key to sound, of the click through the PulseAudio protocol, and
# on PipeWire of the click from a PipeWire stream of its own (else the same again), and how many
# presses sounded. The key is reckoned over the shortest of the clicks.
latency_pair() {
    "${measure[@]}" test_null.monitor click "$presses" 0.003 >"$work/click.log" || return 1
    if [[ $server == pipewire ]]; then
        "${measure[@]}" test_null.monitor pwclick "$presses" 0.003 >"$work/reference.log" || return 1
    else
        cp "$work/click.log" "$work/reference.log"
    fi
    "${measure[@]}" test_null.monitor 52 "$presses" 0.003 >"$work/key.log" || return 1
    local f
    for f in key click reference; do awk '/^median/ {printf "%s %s ", $2, $5}' "$work/$f.log"; done
    awk '/^median/ {print $(NF-4)}' "$work/key.log"
}
line() {
    local label=$1 km=$2 kp=$3 cm=$4 cp=$5 rm=$6 rp=$7 sounded=$8 own=""
    [[ $server == pipewire ]] && own="PipeWire stream's click $rm / $rp ms; "
    awk -v l="$label" -v km="$km" -v kp="$kp" -v cm="$cm" -v cp="$cp" -v rm="$rm" -v own="$own" \
        -v n="$sounded" -v t="$presses" 'BEGIN {
        printf "%-11s key %s / %s ms (median / p90); PulseAudio click %s / %s ms; %sover the click %.1f / %.1f ms; %s of %s sounded\n",
            l, km, kp, cm, cp, own, km - rm, kp - rm, n, t }'
}
read -r km kp cm cp rm rp n < <(latency_pair) && line quiet "$km" "$kp" "$cm" "$cp" "$rm" "$rp" "$n"
busy_start
read -r km kp cm cp rm rp n < <(latency_pair) && line "busy loops" "$km" "$kp" "$cm" "$cp" "$rm" "$rp" "$n"
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
