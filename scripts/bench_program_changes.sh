#!/usr/bin/env bash
# The rhythm while a MIDI keyboard steps through 50 instruments: a stand-in USB keyboard sends
# a program change every 200 ms into the real program while "16 Beat" plays at 115 ms a step.
# Measured twice on a dummy JACK server with 64-frame periods: as it sounds from the built-in
# synthesizer (its drum onsets in the synthesizer's JACK audio, 1.3 ms apart at best, against
# the same run with no program change), and at a JACK MIDI port (the lossless receiver).
#   bash scripts/bench_program_changes.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/lib/session.sh"
F5=71 F9=75

SESSION_OUTPUT=synth session_start "$build" 64 || exit 1
for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q '^fluidsynth:' && break; sleep 0.1; done

# Plugs the keyboard in and, once it is connected, steps it through 50 programs (with STEP set)
# or holds it still, while the rhythm plays for 11 s; runs the measuring command beside it.
with_keyboard() {
    rm -f "$work/keys"
    mkfifo "$work/keys"
    "$build/tests/tonvel_jack_keyboard" Keys <"$work/keys" >/dev/null 2>&1 &
    local keyboard=$!
    exec 3>"$work/keys"
    for _ in $(seq 300); do jack_lsp -c Keys:midi_out 2>/dev/null | grep -q '^ *Tonvel' && break; sleep 0.01; done
    "$xkey" tap $F5 30
    sleep 0.5
    "$@" &
    local measuring=$!
    for program in $(seq 0 49); do
        [[ -n ${STEP:-} ]] && echo "program $(((program * 37 + 1) % 128))" >&3
        sleep 0.2
    done
    wait "$measuring"
    "$xkey" tap $F9 30
    exec 3>&-
    wait "$keyboard" 2>/dev/null
    sleep 0.5
}

echo "sound (drum onsets at the synthesizer's JACK ports, 10 s):"
echo "  no program change:        $(with_keyboard "$build/tests/tonvel_jack_onsets" fluidsynth 115 10)"
echo "  50 program changes:       $(STEP=1 with_keyboard "$build/tests/tonvel_jack_onsets" fluidsynth 115 10)"

session_choose_receiver
port_run() {
    local from
    from=$(received_lines)
    STEP=1 with_keyboard sleep 10
    tail -n +$((from + 1)) "$received" | "$build/tests/tonvel_step_timing" 115 48000 "99 2c" 1 system
}
echo "at a JACK MIDI port, 50 program changes: $(port_run)"
