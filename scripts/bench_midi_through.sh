#!/usr/bin/env bash
# MIDI in to MIDI out through the real program, at a JACK dummy server with 64-frame periods
# (1.33 ms at 48 kHz): a stand-in for a USB keyboard plays NOTES notes (on and off, 10 to 30 ms
# apart) and the receiver on the program's output tells where each arrived on the server's
# clock. Prints the figures; with BUSY=1, beside two busy loops.
#   bash scripts/bench_midi_through.sh [BUILD_DIR]     NOTES=200 BUSY=
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/lib/session.sh"
notes=${NOTES:-200}

session_start "$build" 64 || exit 1
[[ -n ${BUSY:-} ]] && busy_start 2
mkfifo "$work/keys"
SENT_LOG=$work/sent.log "$build/tests/tonvel_jack_keyboard" Keys <"$work/keys" >/dev/null 2>&1 &
session_pids+=($!)
exec 3>"$work/keys"
for _ in $(seq 300); do jack_lsp -c Keys:midi_out 2>/dev/null | grep -q '^ *Tonvel' && break; sleep 0.01; done
sleep 0.5
start=$(received_lines)
for ((i = 0; i < notes; i++)); do
    note=$((48 + i % 24))
    echo "on $note 90" >&3
    sleep "0.0$((10 + RANDOM % 20))"
    echo "off $note" >&3
    sleep "0.0$((10 + RANDOM % 20))"
done
exec 3>&-
sleep 1
tail -n +$((start + 1)) "$work/received.log" | awk '{print $1, $3, $4}' >"$work/got.log"
# The k-th note message sent meets the k-th that arrived.
paste -d' ' <(awk '{print $1, $2, $3}' "$work/sent.log") <(awk '$2 ~ /^[89]/' "$work/got.log") |
    gawk -v want="$((2 * notes))" '
        NF == 6 && substr($2, 1, 1) == substr($5, 1, 1) && $3 == $6 { d[n++] = ($4 - $1) / 48.0 }
        NF == 6 && !(substr($2, 1, 1) == substr($5, 1, 1) && $3 == $6) { bad++ }
        END {
            if (n == 0) { print "nothing arrived"; exit 1 }
            asort(d)
            printf "MIDI in to MIDI out: %d of %d arrived in order, %d out of order; median %.2f ms, p90 %.2f ms, max %.2f ms (one period: 1.33 ms)\n",
                n, want, bad, d[int(n * 0.5) + 1], d[int(n * 0.9) + 1], d[n]
        }'
