# A private session for measuring the real program: its own folders, Xvfb, a JACK dummy
# server, a receiver that loses nothing, and the program with the receiver chosen as its MIDI
# output. Sourced by the measuring scripts; they call session_start and stop with
# session_stop (or the EXIT trap it sets).
#   session_start BUILD_DIR [PERIOD_FRAMES]
# Sets: work (the folder), program (its pid), window, xkey, received (the receiver's log).
# session_program_start, session_choose_receiver and session_program_wait restart it.
# With WITHOUT_REALTIME set, the program runs without the right to real-time priority; with
# SESSION_OUTPUT=synth it keeps its built-in synthesizer (on the session's JACK server) instead
# of choosing the receiver.

source "$(dirname "${BASH_SOURCE[0]}")/jack.sh"
source "$(dirname "${BASH_SOURCE[0]}")/x11.sh"
source "$(dirname "${BASH_SOURCE[0]}")/busy.sh"

session_pids=()

session_stop() {
    busy_stop
    [[ -n ${program:-} ]] && stop_and_wait "$program"
    program=""
    for ((i = ${#session_pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${session_pids[i]}"; done
    session_pids=()
    [[ -n ${work:-} && -z ${KEEP:-} ]] && rm -rf "$work"
}

session_start() {
    local build=$1 period=${2:-64}
    work=$(mktemp -d /tmp/tonvel-session-XXXXXX)
    trap session_stop EXIT
    export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home TMPDIR=$work/tmp
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    mkdir -p "$HOME" "$TMPDIR"
    export JACK_DEFAULT_SERVER=tonvel-session-$$ JACK_NO_START_SERVER=1 JACK_NO_AUDIO_RESERVATION=1
    xvfb_start 400 || { echo "session: Xvfb did not start" >&2; return 1; }
    session_pids+=("$xvfb_pid")
    jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" "$period" ||
        { echo "session: JACK did not start" >&2; return 1; }
    session_pids+=("$jack_pid")
    received=$work/received.log
    "$build/tests/tonvel_jack_receiver" receiver >"$received" 2>"$work/receiver.log" &
    session_pids+=($!)
    for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q receiver:input && break; sleep 0.1; done
    cp "$build/tonvel" "$work/"
    touch "$work/firstrun.kvx"  # no welcome question
    xkey=$build/tests/tonvel_xkey
    session_program_start || return 1
    [[ ${SESSION_OUTPUT:-receiver} == synth ]] || session_choose_receiver
}

# Starts the program (again) in the session's folder and gives its window the focus; sets
# program and window. Its output goes on in tonvel.log.
session_program_start() {
    if [[ -n ${WITHOUT_REALTIME:-} ]]; then
        # As a desktop user without real-time rights: the program's own threads cannot ask
        # for real-time priority (JACK's threads still can, through the server).
        capsh --drop=cap_sys_nice -- -c "exec '$work/tonvel'" >>"$work/tonvel.log" 2>&1 &
    else
        "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
    fi
    program=$!
    focus_program_window || { echo "session: the window did not appear" >&2; return 1; }
}

# The receiver from the settings menu: Midi Device, the first port after the synthesizer.
session_choose_receiver() {
    xdotool key alt+s; sleep 0.5
    xdotool key Down Down Right; sleep 0.3
    xdotool key Down Return; sleep 0.5
    xdotool windowfocus "$window" 2>/dev/null; sleep 0.5
}

# Whether the program's output is connected to the receiver.
session_receiver_chosen() { jack_lsp -c receiver:input 2>/dev/null | grep -q '^[[:space:]]'; }

# Waits up to $1 seconds (5 by default) for the program to end; sets program_status (its exit
# status, or "hung" when it had to be killed) and program_exit_ms (from the call).
session_program_wait() {
    local limit=$(((${1:-5}) * 50)) from i
    from=$(date +%s%N)
    for ((i = 0; i < limit; i++)); do kill -0 "$program" 2>/dev/null || break; sleep 0.02; done
    program_exit_ms=$((($(date +%s%N) - from) / 1000000))
    if kill -0 "$program" 2>/dev/null; then
        kill -9 "$program" 2>/dev/null
        wait "$program" 2>/dev/null
        program_status=hung
    else
        wait "$program" 2>/dev/null
        program_status=$?
    fi
    program=""
}

# What arrived since the line count $1, one message per line, bytes only.
received_since() { received_endings_once "$received" $(($1 + 1)) | cut -d' ' -f3-; }
received_lines() { wc -l <"$received"; }
