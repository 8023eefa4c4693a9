#!/usr/bin/env bash
# Measures the rhythm's timing at a JACK MIDI port (64-frame periods, 1.3 ms; each message
# leaves at the frame it was due, one period on), on a quiet machine and with two busy loops
# beside the program: "16 Beat" at the normal tempo (115 ms a step) for SECONDS, then five
# tempo nudges 80 ms apart.
#   scripts/bench_rhythm.sh [BUILD_DIR] [SECONDS]
# Deviation is each step's distance from the best-placed grid of 115 ms, on the system clock
# the server maps its frames to (a dummy server's own sample clock drifts on a busy machine).
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
seconds=${2:-30}
source "$(dirname "$0")/lib/session.sh"
session_start "$build" 64 || exit 1
timing=$build/tests/tonvel_step_timing

play_for() {
    local from
    from=$(received_lines)
    "$xkey" tap 71 30           # F5: play
    sleep "$seconds"
    "$xkey" tap 75 30           # F9: stop
    sleep 0.3
    tail -n +$((from + 1)) "$received" | "$timing" 115 48000 "99 2c" 1 system
}

nudges() {
    local from
    from=$(received_lines)
    "$xkey" tap 71 30; sleep 2
    "$xkey" down 50             # Shift held, Down five times: slower by 11 ms each
    for _ in 1 2 3 4 5; do "$xkey" tap 116 10; sleep 0.07; done
    "$xkey" up 50
    sleep 2
    "$xkey" tap 75 30; sleep 0.3
    tail -n +$((from + 1)) "$received" | "$timing" 170 48000 "99 2c" 1 system |
        grep -o "longest gap [0-9.]* ms"
    "$xkey" down 50             # back to the normal tempo
    for _ in 1 2 3 4 5; do "$xkey" tap 111 10; done
    "$xkey" up 50
}

echo "rhythm, quiet machine:        $(play_for)"
echo "tempo nudges, quiet machine:  $(nudges) (steps 126..170 ms; before: 348 ms)"
busy_start 2
echo "rhythm, two busy loops:       $(play_for)"
echo "tempo nudges, two busy loops: $(nudges)"
busy_stop
echo "reference (before): mean step 116.1-116.3 ms; deviation median 5 ms, p99 10-15 ms (quiet)"
echo "goal: mean step within 0.1 %; deviation p99 <= 0.25 ms quiet, <= 1 ms with every core busy"
