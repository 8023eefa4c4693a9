#!/usr/bin/env bash
# The real program played with everything but the computer keyboard's notes, under Xvfb with a
# window manager, against a JACK receiver that loses nothing: a stand-in for a USB keyboard
# plugged in after the start is connected within a second, its notes arrive with their velocity
# and light the keys, and pulling it out mid-note ends the note; Space is the sustain pedal;
# the mouse plays a glissando over three keys, and a right click or Alt+S in the middle of one
# ends the mouse's playing; a keyboard pulled out, and the exit, put back the sostenuto, hold 2,
# the bend and the other controllers it moved; a press on the bare skin still moves the window.
#   bash scripts/instruments_test.sh [BUILD_DIR]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-ci}" && pwd)
source "$here/lib/session.sh"
keyboard_tool=$build/tests/tonvel_jack_keyboard
SPACE=65

failed=0
check() {
    if [[ $2 == "$3" ]]; then
        echo "ok instruments: $1"
    else
        echo "FAIL instruments: $1: got [$2], expected [$3]"
        failed=1
    fi
}
within() { [[ $2 -le $3 ]] && echo "ok instruments: $1 ($2 ms)" || { echo "FAIL instruments: $1 took $2 ms"; failed=1; }; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Waits up to 2 s for N lines after line count $1.
wait_lines() { for _ in $(seq 100); do (($(received_lines) - $1 >= $2)) && return; sleep 0.02; done; }
# Notes sounding, as the messages since line count $1 leave them.
left_on() {
    received_since "$1" | awk '{ k = substr($1, 2) " " $2 }
        $1 ~ /^9/ && $3 != "00" { on[k] = 1; next } $1 ~ /^[89]/ { delete on[k] }
        END { for (k in on) printf "%s ", k }'
}
# A stand-in keyboard named $1 plugged in, fed through fd 3; sets keyboard and plugged.
plug_keyboard() {
    rm -f "$work/keys"; mkfifo "$work/keys"
    "$keyboard_tool" "$1" <"$work/keys" >>"$work/keyboard.out" 2>&1 &
    keyboard=$!
    session_pids+=("$keyboard")
    exec 3>"$work/keys"
    plugged=$(now_ms)
    until jack_lsp -c "$1:midi_out" 2>/dev/null | grep -q '^ *Tonvel'; do
        (($(now_ms) - plugged > 3000)) && break
        sleep 0.01
    done
}
pull_keyboard() { kill -9 "$keyboard"; wait "$keyboard" 2>/dev/null; exec 3>&-; }
# Pixels of the key light's colour in the window's key area.
lit_pixels() {
    import -window root -crop 340x80+$((X + 92))+$((Y + 135)) +repage "$work/keys.png"
    convert "$work/keys.png" -fill black -fuzz 12% +opaque '#FF8000' -fill white -opaque '#FF8000' \
        -format '%[fx:round(mean*w*h)]' info:
}

session_start "$build" 64 || exit 1
openbox --sm-disable >"$work/openbox.log" 2>&1 &
session_pids+=($!)
sleep 1
# The mouse plays the keys: a choice kept in the program's settings.
stop_and_wait "$program"
printf '[Mouse]\nPlaysKeys=1\n' >"$work/tonvel.ini"
session_program_start || exit 1
session_choose_receiver
session_receiver_chosen || { echo "FAIL instruments: the receiver was not chosen"; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$window")"

# A keyboard plugged in while the program runs.
plug_keyboard Keys
within "keyboard connected after plugging in" $(($(now_ms) - plugged)) 1000

before_lit=$(lit_pixels)
n=$(received_lines)
echo "on 60 33" >&3
wait_lines "$n" 1
check "a note from the keyboard, with its velocity" "$(received_since "$n")" "90 3c 21"
sleep 0.2
after_lit=$(lit_pixels)
cp "$work/keys.png" "${SHOTS:-$work}/instruments-lit.png" 2>/dev/null
((before_lit == 0 && after_lit > 100)) && echo "ok instruments: the note lights its key ($after_lit pixels)" ||
    { echo "FAIL instruments: key light $before_lit then $after_lit pixels"; failed=1; }

n=$(received_lines)
pull_keyboard
pulled=$(now_ms)
wait_lines "$n" 1
within "pulled out mid-note: the note ends" $(($(now_ms) - pulled)) 1000
check "the note-off" "$(received_since "$n")" "80 3c 00"

xdotool windowfocus --sync "$window" 2>/dev/null; sleep 0.3
n=$(received_lines)
"$xkey" down $SPACE; sleep 1; "$xkey" up $SPACE
wait_lines "$n" 2
check "Space, held through its repeats, is the pedal" "$(received_since "$n" | tr '\n' ' ')" "b0 40 7f b0 40 00 "

# A press on the first white key, then a slide over the next two.
n=$(received_lines)
y=$((Y + 195))
xdotool mousemove $((X + 101)) $y; sleep 0.2
xdotool mousedown 1; sleep 0.2
xdotool mousemove $((X + 117)) $y; sleep 0.2
xdotool mousemove $((X + 133)) $y; sleep 0.2
xdotool mouseup 1
wait_lines "$n" 6
check "a glissando over three keys" "$(received_since "$n" | tr '\n' ' ')" \
    "90 36 7f 80 36 00 90 38 7f 80 38 00 90 3a 7f 80 3a 00 "

# A right click mid-glissando opens the menu, which takes both releases; Escape closes it. So
# does Alt+S with the left button down. Moves over the keys then play nothing.
for interruption in "mousedown 3" "key alt+s"; do
    n=$(received_lines)
    xdotool mousemove $((X + 101)) $y; sleep 0.2
    xdotool mousedown 1; sleep 0.2
    xdotool mousemove $((X + 117)) $y; sleep 0.2
    xdotool $interruption; sleep 0.5
    xdotool mouseup 1; sleep 0.1
    [[ $interruption == mousedown* ]] && xdotool mouseup 3
    sleep 0.2; xdotool key Escape; sleep 0.3
    m=$(received_lines)
    for x in 133 149 165 181 101; do xdotool mousemove $((X + x)) $y; sleep 0.1; done
    sleep 0.3
    check "$interruption mid-glissando: the moves after it play" "$(received_since "$m" | tr '\n' ' ')" ""
    check "$interruption mid-glissando: notes left on" "$(left_on "$n")" ""
done

# A keyboard pulled out, and the exit, with sostenuto, hold 2 and the bend on.
reset="b0 42 00 b0 45 00 e0 00 40 b0 40 00 b0 79 00 "
plug_keyboard Organ
printf 'cc 66 127\ncc 69 127\nbend 12000\non 62 40\n' >&3
sleep 0.5
n=$(received_lines)
pull_keyboard
wait_lines "$n" 6
check "pulled out with its pedals down and the bend up" "$(received_since "$n" | tr '\n' ' ')" \
    "80 3e 00 $reset"

# The bare skin beside the banks still moves the window.
xdotool mousemove $((X + 20)) $((Y + 100)); sleep 0.2
xdotool mousedown 1; sleep 0.2
xdotool mousemove $((X + 80)) $((Y + 140)); sleep 0.3
xdotool mousemove $((X + 120)) $((Y + 160)); sleep 0.3
xdotool mouseup 1; sleep 0.5
X0=$X Y0=$Y
eval "$(xdotool getwindowgeometry --shell "$window")"
((X - X0 >= 50 && Y - Y0 >= 30)) && echo "ok instruments: the skin moves the window ($X0,$Y0 to $X,$Y)" ||
    { echo "FAIL instruments: the window stayed at $X,$Y (was $X0,$Y0)"; failed=1; }

plug_keyboard Organ
printf 'cc 66 127\ncc 69 127\nbend 12000\n' >&3
sleep 0.5
n=$(received_lines)
xdotool windowfocus --sync "$window" 2>/dev/null; sleep 0.3
xdotool key ctrl+x
session_program_wait 5
check "the exit with its pedals down and the bend up" "$(received_since "$n" | tr '\n' ' ')" "$reset"
pull_keyboard

grep -i "error\|sanitizer" "$work/tonvel.log" | grep -v MidiOutAlsa | head -5
exit $failed
