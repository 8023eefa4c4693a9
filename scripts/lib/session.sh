# A private session for measuring the real program: its own folders, Xvfb, a JACK dummy
# server, a receiver that loses nothing, and the program with the receiver chosen as its MIDI
# output. Sourced by the measuring scripts; they call session_start and stop with
# session_stop (or the EXIT trap it sets).
#   session_start BUILD_DIR [PERIOD_FRAMES]
# Sets: work (the folder), program (its pid), window, xkey, received (the receiver's log).
# With WITHOUT_REALTIME set, the program runs without the right to real-time priority.

source "$(dirname "${BASH_SOURCE[0]}")/jack.sh"
source "$(dirname "${BASH_SOURCE[0]}")/x11.sh"
source "$(dirname "${BASH_SOURCE[0]}")/busy.sh"

session_pids=()

session_stop() {
    busy_stop
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
    if [[ -n ${WITHOUT_REALTIME:-} ]]; then
        # As a desktop user without real-time rights: the program's own threads cannot ask
        # for real-time priority (JACK's threads still can, through the server).
        capsh --drop=cap_sys_nice -- -c "exec '$work/tonvel'" >"$work/tonvel.log" 2>&1 &
    else
        "$work/tonvel" >"$work/tonvel.log" 2>&1 &
    fi
    program=$!
    session_pids+=($program)
    focus_program_window || { echo "session: the window did not appear" >&2; return 1; }
    xkey=$build/tests/tonvel_xkey
    # The receiver from the settings menu: Midi Device, the first port after the synthesizer.
    xdotool key alt+s; sleep 0.5
    xdotool key Down Down Right; sleep 0.3
    xdotool key Down Return; sleep 0.5
    xdotool windowfocus "$window" 2>/dev/null; sleep 0.5
}

# What arrived since the line count $1, one message per line, bytes only.
received_since() { tail -n +$(($1 + 1)) "$received" | cut -d' ' -f3-; }
received_lines() { wc -l <"$received"; }
