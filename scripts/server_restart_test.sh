#!/usr/bin/env bash
# The built-in synthesizer's sound through sound servers that stop and start again under the
# running program, as a crash, `systemctl --user restart pipewire` or a log-out does: PipeWire
# (its three daemons), PulseAudio, and a JACK server beside a PulseAudio one (the sound goes to
# PulseAudio while JACK is away, and back to JACK when it returns). After each stop the program
# must say so on standard error within a second and a quarter (its watcher looks every 100 ms,
# the window every 250 ms); after each return it is recorded while Z is pressed again and again,
# and sox finds the first sound: it must come within 2 s of the server's return, every time,
# with the same program running throughout.
#   scripts/server_restart_test.sh [BUILD_DIR] [RESTARTS]     (defaults: build, 10)
# Environment: SERVERS="pipewire pulseaudio jack" chooses the servers, KEEP=1 keeps the logs.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd) || exit 2
restarts=${2:-10}
servers=${SERVERS:-pipewire pulseaudio jack}
xkey=$build/tests/tonvel_xkey
limit_ms=2000
notice_limit_ms=1250
for tool in "$build/tonvel" "$xkey"; do
    [[ -x $tool ]] || { echo "server_restart_test: $tool not found; build it first" >&2; exit 2; }
done

source "$root/scripts/lib/jack.sh"
source "$root/scripts/lib/x11.sh"
source "$root/scripts/lib/pulse.sh"
source "$root/scripts/lib/pipewire.sh"

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Milliseconds into a recording where it first rises above -40 dBFS, or nothing when it never
# does.
first_sound_ms() {
    sox "$1" -t dat - 2>/dev/null | awk '
        /^;/ { next }
        { for (i = 2; i <= NF; i++) if ($i > 0.01 || $i < -0.01) { printf "%d\n", $1 * 1000; exit } }'
}

# Presses Z again and again until killed.
press_keys() {
    while :; do
        "$xkey" tap 52 80
        sleep 0.07
    done
}

# Waits until the program's log has more than $1 lines matching $2; prints the milliseconds
# waited, or fails after 3 s.
wait_for_log() {
    local from i
    from=$(now_ms)
    for ((i = 0; i < 150; i++)); do
        if [[ $(grep -c -- "$2" "$log") -gt $1 ]]; then
            echo $(($(now_ms) - from))
            return 0
        fi
        sleep 0.02
    done
    return 1
}

# Stops the presses (process $1) and prints the milliseconds from $3 (the server's return) to the
# first sound of the recording $4, begun at $2; fails when nothing sounded.
presses_done() {
    local onset
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
    "$xkey" up 52
    onset=$(first_sound_ms "$4")
    [[ -n $onset ]] || return 1
    echo $(($2 - $3 + onset))
}

# Records the sink's monitor for 3 s while keys are pressed; prints the milliseconds from $1 (the
# server's return) to the first sound, or fails.
sound_back_at_sink() {
    local back=$1 recording=$work/rec-$RANDOM.wav started presser
    started=$(now_ms)
    parecord --device=test_null.monitor --file-format=wav "$recording" 2>/dev/null &
    local recorder=$!
    press_keys &
    presser=$!
    sleep 3
    kill -INT "$recorder" 2>/dev/null
    wait "$recorder" 2>/dev/null
    presses_done "$presser" "$started" "$back" "$recording"
}

# As sound_back_at_sink, in the JACK graph: the program's JACK client must come back first.
sound_back_in_jack() {
    local back=$1 recording=$work/rec-$RANDOM.wav ports started presser i
    for ((i = 0; i < 150; i++)); do
        mapfile -t ports < <(jack_lsp 2>/dev/null | grep -E '^fluidsynth[^:]*:(left|right|l_00|r_00)$')
        [[ ${#ports[@]} -eq 2 ]] && break
        sleep 0.02
    done
    [[ ${#ports[@]} -eq 2 ]] || return 1
    started=$(now_ms)
    press_keys &
    presser=$!
    jack_rec -f "$recording" -d 2 "${ports[@]}" >/dev/null 2>&1
    presses_done "$presser" "$started" "$back" "$recording"
}

# Each line of standard input with the time it came, in milliseconds.
stamp_lines() {
    while IFS= read -r line; do printf '%s %s\n' "$(now_ms)" "$line"; done
}

start_program() {
    mkdir -p "$work/program"
    cp "$build/tonvel" "$work/program/tonvel"
    touch "$work/program/firstrun.kvx"  # no welcome question
    log=$work/tonvel.log
    "$work/program/tonvel" > >(stamp_lines >"$log") 2>&1 &
    program=$!
    focus_program_window || { echo "the window did not appear"; return 1; }
    sleep 1
}

# One line per restart; fails when a figure is over its limit. $1 names the server, $2 the
# function that stops it, $3 the one that starts it again (and sets back), $4 the measure, and
# $5, if given, a check made while the server is away.
cycle() {
    local name=$1 stop=$2 again=$3 measure=$4 away=${5:-} n told notice figure worst=0 failures=0
    local lines away_ok
    for ((n = 1; n <= restarts; n++)); do
        told=$(grep -c -- 'went away' "$log")
        lines=$(wc -l <"$log")
        "$stop"
        notice=$(wait_for_log "$told" 'went away') || notice=never
        away_ok=1
        if [[ -n $away ]]; then "$away" || away_ok=0; fi
        sleep 0.5
        "$again" || { echo "$name: the server did not start again"; return 1; }
        figure=$("$measure" "$back") || figure=never
        echo "$name restart $n: told in $notice ms; sound back $figure ms after the server's return"
        # What the program said meanwhile, in ms from the server's return.
        tail -n +$((lines + 1)) "$log" | awk -v back="$back" '$2 == "tonvel:" {
            $1 = sprintf("  %+6d ms", $1 - back); print }'
        if [[ $figure == never || $figure -gt $limit_ms || $notice == never ||
            $notice -gt $notice_limit_ms || $away_ok -eq 0 ]]; then
            failures=$((failures + 1))
        elif [[ $figure -gt $worst ]]; then
            worst=$figure
        fi
        kill -0 "$program" 2>/dev/null || { echo "$name: the program ended"; return 1; }
    done
    echo "$name: $((restarts - failures)) of $restarts within ${limit_ms} ms (slowest ${worst} ms), one program throughout"
    [[ $failures -eq 0 ]]
}

phase_pipewire() {
    pipewire_start "$work" || { echo "PipeWire did not start"; return 1; }
    start_program || return 1
    pw_stop() { pipewire_stop_daemons; }
    pw_again() {
        pipewire_start_daemons "$work" || return 1
        back=$(now_ms)
    }
    cycle PipeWire pw_stop pw_again sound_back_at_sink
}

phase_pulseaudio() {
    pulse_start "$work" || { echo "PulseAudio did not start"; return 1; }
    start_program || return 1
    pa_stop() { stop_and_wait "$pulse_pid"; }
    pa_again() {
        pulse_start "$work" || return 1
        back=$(now_ms)
    }
    cycle PulseAudio pa_stop pa_again sound_back_at_sink
}

# While JACK is away the sound goes on through PulseAudio, within the same 2 s.
phase_jack() {
    pulse_start "$work" || { echo "PulseAudio did not start"; return 1; }
    jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" 256 || { echo "JACK did not start"; return 1; }
    start_program || return 1
    jack_stop() {
        stop_and_wait "$jack_pid"
        stopped=$(now_ms)
    }
    jack_away() {
        local figure
        figure=$(sound_back_at_sink "$stopped") || figure=never
        echo "JACK away: sound through PulseAudio $figure ms after JACK stopped"
        [[ $figure != never && $figure -le $limit_ms ]]
    }
    jack_again() {
        # On a crowded machine a server now and then gives up starting: it counts as its return
        # once it runs.
        jack_launch "$JACK_DEFAULT_SERVER" "$work/jackd.log" 256 || {
            stop_and_wait "$jack_pid"
            jack_launch "$JACK_DEFAULT_SERVER" "$work/jackd.log" 256
        } || return 1
        back=$(now_ms)
    }
    cycle JACK jack_stop jack_again sound_back_in_jack jack_away
}

status=0
for server in $servers; do
    (
        work=$(mktemp -d "/tmp/tonvel-restart-$server-XXXXXX")
        program=""
        cleanup() {
            [[ -n $program ]] && stop_and_wait "$program"
            pipewire_stop
            [[ -n ${jack_pid:-} ]] && stop_and_wait "$jack_pid"
            [[ -n ${pulse_pid:-} ]] && stop_and_wait "$pulse_pid"
            [[ -n ${xvfb_pid:-} ]] && stop_and_wait "$xvfb_pid"
            if [[ -n ${KEEP:-} ]]; then echo "kept $work"; else rm -rf "$work"; fi
        }
        trap cleanup EXIT
        trap 'exit 130' INT TERM
        export HOME=$work/home TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime
        mkdir -p "$HOME" "$TMPDIR" && mkdir -m 700 "$XDG_RUNTIME_DIR"
        export JACK_DEFAULT_SERVER=tonvel-restart-$$-$server JACK_NO_START_SERVER=1
        xvfb_start 700 || { echo "Xvfb did not start"; exit 1; }
        case $server in
        pipewire) phase_pipewire ;;
        pulseaudio) phase_pulseaudio ;;
        jack) phase_jack ;;
        *) echo "unknown server $server"; exit 2 ;;
        esac
        result=$?
        [[ $result -ne 0 ]] && KEEP=1
        exit $result
    ) || status=1
done
[[ $status -eq 0 ]] && echo "server_restart_test: passed" || echo "server_restart_test: FAILED"
exit $status
