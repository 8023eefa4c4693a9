#!/usr/bin/env bash
# Measures a start of the real program under Xvfb: the time until the main window shows and
# the peak resident memory once it runs, with the built-in names file and with an ins.ins
# whose first line is a 10 MB name. Prints one line per case: median and range over the runs.
#
#   scripts/measure_start.sh [build-dir] [runs]     (default: build-ci, 5)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-ci}" && pwd)
runs=${2:-5}
source "$here/lib/jack.sh"  # stop_and_wait
source "$here/lib/x11.sh"

work=$(mktemp -d /tmp/tonvel-measure-XXXXXX)
mkdir -m 700 "$work/runtime" "$work/home"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime TMPDIR=$work JACK_NO_START_SERVER=1
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    rm -rf "$work"
}
trap cleanup EXIT
xvfb_start 250 || { echo "measure_start: Xvfb did not start" >&2; exit 1; }
pids+=("$xvfb_pid")
# A client that stays connected, so the server never resets between two starts.
xprop -root -spy >/dev/null 2>&1 &
pids+=($!)

python3 -c 'import sys; sys.stdout.write("1\t" + "N" * (10 * 1024 * 1024) + "\r\n")' >"$work/long.ins"

# Prints "<seconds to window> <peak resident kB>" for one start from folder $1.
measure_once() {
    local start program window="" peak
    start=$(date +%s.%N)
    "$1/tonvel" >/dev/null 2>&1 &
    program=$!
    for _ in $(seq 1200); do
        window=$(xdotool search --onlyvisible --name '^Tonvel$' 2>/dev/null | head -n1)
        [[ -n $window ]] && break
        sleep 0.05
    done
    local shown
    shown=$(date +%s.%N)
    sleep 1
    peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$program/status")
    [[ -n $window ]] && xdotool windowfocus "$window" key ctrl+x 2>/dev/null
    for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
    awk -v a="$start" -v b="$shown" -v p="$peak" 'BEGIN { printf "%.2f %d\n", b - a, p }'
}

# Median and range of column $1 of the numbers on stdin.
summary() {
    sort -n -k"$1" | awk -v c="$1" '{ v[NR] = $c } END { printf "median %s (%s..%s)", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

for case in default long-name; do
    mkdir -p "$work/$case"
    cp "$build/tonvel" "$work/$case/"
    results=$work/$case.txt
    for ((n = 0; n < runs; n++)); do
        rm -f "$work/$case/ins.ins"
        [[ $case == long-name ]] && cp "$work/long.ins" "$work/$case/ins.ins"
        measure_once "$work/$case" >>"$results"
    done
    echo "$case: to window $(summary 1 <"$results") s; peak resident $(summary 2 <"$results") kB"
done
