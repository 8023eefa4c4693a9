#!/usr/bin/env bash
# Starts and stops the real program many times, the way a user does, to catch faults that
# show only now and then at start or exit: under Xvfb, with a dummy JACK server and a
# private PulseAudio, each start waits for the main window and ends with Ctrl+X. Meant for a
# build made with -DTONVEL_SANITIZE=ON; a sanitizer report or a death by signal fails the run
# and keeps its log.
#
#   scripts/start_stop_cycles.sh [build-dir] [cycles]     (default: build-asan-app, 50)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-asan-app}" && pwd)
cycles=${2:-50}
source "$here/lib/jack.sh"
source "$here/lib/x11.sh"
source "$here/lib/pulse.sh"
xkey=${XKEY:-$here/../build-ci/tests/tonvel_xkey}
[[ -x $xkey ]] || { echo "cycles: no $xkey; build the target tonvel_xkey" >&2; exit 2; }

work=$(mktemp -d /tmp/tonvel-cycles-XXXXXX)
chmod 700 "$work"
mkdir -m 700 "$work/runtime" "$work/home" "$work/logs"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work
export JACK_DEFAULT_SERVER=tonvel-cycles-$$ JACK_NO_START_SERVER=1 JACK_NO_AUDIO_RESERVATION=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    if [[ ${keep:-${KEEP_LOGS:-0}} -eq 0 ]]; then rm -rf "$work"; else echo "cycles: logs kept in $work/logs"; fi
}
trap cleanup EXIT

xvfb_start 200 || { echo "cycles: Xvfb did not start" >&2; exit 1; }
pids+=("$xvfb_pid")
jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" || { echo "cycles: no JACK" >&2; exit 1; }
pids+=("$jack_pid")
pulse_start "$work" || { echo "cycles: PulseAudio did not start" >&2; exit 1; }
pids+=("$pulse_pid")

cp "$build/tonvel" "$work/"
bad=0
for ((n = 1; n <= cycles; n++)); do
    log=$work/logs/cycle-$n.log
    start=$(date +%s.%N)
    "$work/tonvel" >"$log" 2>&1 &
    program=$!
    window=""
    for _ in $(seq 300); do
        kill -0 "$program" 2>/dev/null || break
        window=$(xdotool search --onlyvisible --name '^Tonvel$' 2>/dev/null | head -n1)
        [[ -n $window ]] && break
        sleep 0.05
    done
    shown=$(date +%s.%N)
    if [[ -n $window ]]; then
        xdotool windowfocus "$window" 2>/dev/null
        "$xkey" down 37; "$xkey" tap 53; "$xkey" up 37     # Ctrl+X
    fi
    for _ in $(seq 200); do kill -0 "$program" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$program" 2>/dev/null; then
        echo "cycle $n: still running 10 s after Ctrl+X" >>"$log"
        kill -ABRT "$program"
    fi
    wait "$program"
    status=$?
    awk -v n="$n" -v s="$status" -v a="$start" -v b="$shown" 'BEGIN { printf "%d %d %.2f\n", n, s, b - a }' >>"$work/logs/summary"
    if [[ $status -ne 0 || -z $window ]] || grep -qE 'ERROR: AddressSanitizer|runtime error:' "$log"; then
        echo "cycle $n: exit status $status, window ${window:-never shown}"
        grep -E 'ERROR|runtime error|Abort|abort|#[0-9]+ ' "$log" | head -n 40
        bad=$((bad + 1))
        keep=1
    fi
    rm -f "$work"/con_set.dat.new-* 2>/dev/null
done
echo "cycles: $cycles starts, $bad failed"
[[ $bad -eq 0 ]]
