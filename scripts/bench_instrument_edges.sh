#!/usr/bin/env bash
# A keyboard, the pedal and the mouse at the edges: in each cycle a stand-in USB keyboard plays
# random notes and its pedal into the real program while the mouse holds a key and Space holds
# the pedal, and at a random moment one edge comes: the keyboard pulled out, a refresh (the Up
# arrow), Ctrl+X or SIGTERM. Then the program ends, and the receiver on its JACK output
# counts the notes left on and whether the pedal was left down.
#   bash scripts/bench_instrument_edges.sh [BUILD_DIR]   CYCLES=20 BUSY= SEED=
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/lib/session.sh"
source "$here/lib/stuck_notes.sh"
cycles=${CYCLES:-20}
RANDOM=${SEED:-$$}
SPACE=65 UP=111 CTRL=37 KEY_X=53

session_start "$build" 64 || exit 1
[[ -n ${BUSY:-} ]] && busy_start 2
stop_and_wait "$program"
printf '[Mouse]\nPlaysKeys=1\n' >"$work/tonvel.ini"
edges=(unplug refresh ctrl-x sigterm)
stuck_total=0 pedal_total=0
for ((cycle = 1; cycle <= cycles; cycle++)); do
    session_program_start || { echo "cycle $cycle: no window"; exit 1; }
    ((cycle == 1)) && session_choose_receiver
    eval "$(xdotool getwindowgeometry --shell "$window")"
    from=$(received_lines)
    rm -f "$work/keys"; mkfifo "$work/keys"
    "$build/tests/tonvel_jack_keyboard" Keys <"$work/keys" >/dev/null 2>&1 &
    keyboard=$!
    exec 3>"$work/keys"
    for _ in $(seq 300); do jack_lsp -c Keys:midi_out 2>/dev/null | grep -q '^ *Tonvel' && break; sleep 0.01; done
    xdotool mousemove $((X + 101 + 16 * (RANDOM % 10))) $((Y + 195)) mousedown 1
    "$xkey" down $SPACE
    edge=${edges[RANDOM % 4]}
    for ((i = 0; i < 10 + RANDOM % 40; i++)); do
        note=$((40 + RANDOM % 40))
        case $((RANDOM % 5)) in
            0 | 1) echo "on $note $((1 + RANDOM % 127))" >&3 ;;
            2) echo "off $note" >&3 ;;
            3) echo "cc 64 $((RANDOM % 2 * 127))" >&3 ;;
            4) echo "on $note 0" >&3 ;;
        esac
        sleep "0.0$((RANDOM % 9))"
    done
    case $edge in
        unplug) kill -9 "$keyboard" ;;
        refresh) "$xkey" tap $UP ;;
        ctrl-x) "$xkey" down $CTRL; "$xkey" tap $KEY_X; "$xkey" up $CTRL ;;
        sigterm) kill -TERM "$program" ;;
    esac
    sleep 0.3
    "$xkey" up $SPACE; xdotool mouseup 1
    exec 3>&- 2>/dev/null
    if kill -0 "$program" 2>/dev/null; then
        "$xkey" down $CTRL; "$xkey" tap $KEY_X; "$xkey" up $CTRL
    fi
    session_program_wait 5
    { kill -9 "$keyboard"; wait "$keyboard"; } 2>/dev/null
    sleep 0.2
    result=$(tail -n +$((from + 1)) "$received" | stuck_notes)
    pedal=$(tail -n +$((from + 1)) "$received" | awk 'tolower($3) == "b0" && tolower($4) == "40" { v = $5 } END { print (v != "" && v != "00") ? 1 : 0 }')
    stuck=${result%% *}
    stuck_total=$((stuck_total + stuck))
    pedal_total=$((pedal_total + pedal))
    echo "cycle $cycle: $edge, exit $program_status in ${program_exit_ms} ms, stuck: $result, pedal left down: $pedal"
done
echo "instrument edges: $cycles cycles${BUSY:+ beside two busy loops}: $stuck_total notes stuck, pedal left down $pedal_total times"
