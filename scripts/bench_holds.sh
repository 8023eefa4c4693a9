#!/usr/bin/env bash
# Holds keys as a player does, with the X server's own auto-repeat on, and counts what
# arrives at a JACK MIDI port: each hold must sound once and end once.
#   scripts/bench_holds.sh [BUILD_DIR] [HOLDS] [SECONDS_HELD]
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
holds=${2:-10}
held=${3:-2}
source "$(dirname "$0")/lib/session.sh"
session_start "$build" 64 || exit 1

# Holds key $1 (X keycode) $holds times; prints how many holds gave exactly one note-on and
# one note-off, and the most note-ons one hold gave.
hold_key() {
    local clean=0 most=0 from ons offs
    for _ in $(seq "$holds"); do
        from=$(received_lines)
        "$xkey" down "$1"; sleep "$held"; "$xkey" up "$1"; sleep 0.3
        ons=$(received_since "$from" | grep -c '^9. .. 7f$')
        offs=$(received_since "$from" | grep -c '^8. .. 00$')
        [[ $ons -eq 1 && $offs -eq 1 ]] && clean=$((clean + 1))
        [[ $ons -gt $most ]] && most=$ons
    done
    echo "$clean of $holds holds sounded once (most note-ons in one hold: $most)"
}

echo "Z held ${held} s, quiet machine:       $(hold_key 52)"
echo "keypad 2 held ${held} s, quiet machine: $(hold_key 88)"
busy_start 2
echo "Z held ${held} s, two busy loops:       $(hold_key 52)"
echo "keypad 2 held ${held} s, two busy loops: $(hold_key 88)"
busy_stop
echo "reference (before): quiet 3 of 10 holds gave two note-ons; busy, every hold gave 2 to 34"
