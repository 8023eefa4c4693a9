#!/usr/bin/env bash
# End to end: the real program under Xvfb, real key events through XTest, and the MIDI
# bytes it sends arriving at a JACK MIDI receiver. Stops only what it started.
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"
source "$here/lib/x11.sh"
work=$(mktemp -d /tmp/tonvel-e2e-XXXXXX)
pids=()
cleanup() {
    # The program and the receiver first, the server they use last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "e2e: $*"
    [[ -f $work/dump.log ]] && { echo "--- received:"; cat "$work/dump.log"; }
    exit 1
}

export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export JACK_DEFAULT_SERVER=tonvel-e2e-$$ JACK_NO_START_SERVER=1 JACK_NO_AUDIO_RESERVATION=1

xvfb_start 90
started=$?
pids+=("$xvfb_pid")
[[ $started -eq 0 ]] || fail "Xvfb did not start"

jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log"
started=$?
pids+=("$jack_pid")
[[ $started -eq 0 ]] || fail "JACK did not start: $(cat "$work/jackd.log")"
jack_midi_dump >"$work/dump.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q midi-monitor:input && break; sleep 0.1; done

# The program keeps its files beside itself: give it a folder of its own.
cp "$build/tonvel" "$work/"
# Starts the program and waits for its window to have the focus.
start_program() {
    "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
    pids+=($!)
    local seen=""
    for _ in $(seq 50); do
        seen=$(xdotool search --onlyvisible --name '^Loading Piano\.\.\.$' 2>/dev/null)
        [[ -n $seen ]] && break
        sleep 0.1
    done
    [[ -n $seen ]] || fail "no splash window came first"
    focus_program_window || fail "the window did not appear"
    [[ -z $(xdotool search --onlyvisible --name '^Loading Piano\.\.\.$' 2>/dev/null) ]] ||
        fail "the splash stayed up after the main window came"
    sleep 1
}
start_program
for file in ins.ins license.txt; do [[ -s $work/$file ]] || fail "$file was not written at start"; done

# Choose the receiver from the settings menu (Alt+S): second item "Midi Device", then
# its second item, the first MIDI port after the built-in synthesizer.
xdotool key alt+s
sleep 0.5
xdotool key Down Down Right
sleep 0.3
xdotool key Down Return
sleep 0.5
xdotool windowfocus "$window" 2>/dev/null
sleep 0.5

xkey=$build/tests/tonvel_xkey
"$xkey" down 52             # Z
sleep 0.3
import -window "$window" "$work/held.png" 2>/dev/null
"$xkey" up 52
"$xkey" tap 88 100          # keypad 2
"$xkey" tap 67 100          # F1
sleep 0.5

# Choosing sounds from the keyboard: a program step, the Alt + keypad jump, the
# instrument menu driven by keys, the channel box with a typed number, a base-note step.
mark() { echo "-- $1" >>"$work/marks.log"; wc -l <"$work/dump.log" >>"$work/marks.log"; }
"$xkey" tap 114             # Right: program 19
sleep 0.3
"$xkey" down 64             # Alt held, keypad 4 then 1: program 41
"$xkey" tap 83
"$xkey" tap 87
"$xkey" up 64
sleep 0.3
xdotool key alt+c           # instrument menu, item 24 ("Tango Accordion") by keys
sleep 0.5
for _ in $(seq 24); do xdotool key Down; done
xdotool key Return
sleep 0.3
xdotool key alt+n           # channel box
sleep 0.5
xdotool key ctrl+a
xdotool type 57
xdotool key Return
sleep 0.3
xdotool windowfocus "$window" 2>/dev/null
"$xkey" tap 111             # Up: base note F
"$xkey" tap 52              # Z plays 55 now
sleep 0.5

received=$(tr 'A-F' 'a-f' <"$work/dump.log")
expect() { grep -qi "$1" <<<"$received" || fail "missing $2 ($1)"; }
expect "c0 13" "program 20 from Right"
expect "c0 17" "program 24 chosen in the instrument menu"
expect "c0 03" "program 4 after the first Alt + keypad digit"
expect "c0 28" "program 41 after Alt + keypad 4, 1"
expect "c0 38" "program 57 typed into the channel box"
expect "90 37 7f" "Z at base note F"
expect "c0 12" "program of bank F1 at start"
expect "b0 20 00" "bank select before the program"
expect "90 36 7f" "note-on of Z at base note E"
expect "80 36 00" "note-off of Z"
expect "99 24 7f" "drum pad 10 on channel 10"
expect "89 24 00" "drum pad release"

# The about box opens with Shift+F1 and closes with Escape; the update window opens with
# Ctrl+U and closes with X.
# Waits until a visible window with the title pattern $1 is there ($2 = 1) or gone ($2 = 0).
await_window() {
    local found
    for _ in $(seq 30); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        if [[ $2 -eq 1 && -n $found ]] || [[ $2 -eq 0 && -z $found ]]; then
            echo "$found"
            return 0
        fi
        sleep 0.1
    done
    return 1
}
for pair in "shift+F1:^ About\.\.\.$:Escape" "ctrl+u:^  update\.\.\.$:x"; do
    IFS=: read -r opener title closer <<<"$pair"
    xdotool windowfocus "$window" 2>/dev/null
    xdotool key "$opener"
    shown=$(await_window "$title" 1) || fail "$opener did not open the window \"$title\""
    xdotool windowfocus "$shown" 2>/dev/null
    xdotool key "$closer"
    await_window "$title" 0 >/dev/null || fail "$closer did not close the window \"$title\""
done

# A bank stored through its menu survives a restart: right-click F3, choose item 41
# ("Violin", program 40) with the keys, exit with Ctrl+X, start again and press F3.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 38)) $((Y + 115)) click 3
sleep 0.5
for _ in $(seq 41); do xdotool key Down; done
xdotool key Return
sleep 0.3
xdotool windowfocus "$window" 2>/dev/null
xdotool key ctrl+x
for _ in $(seq 50); do kill -0 "${pids[-1]}" 2>/dev/null || break; sleep 0.1; done
kill -0 "${pids[-1]}" 2>/dev/null && fail "Ctrl+X did not end the program"
for file in ins.ins license.txt; do [[ -e $work/$file ]] && fail "$file was left behind at exit"; done
grep -q "^ 18            19            40            7 " "$work/con_set.dat" ||
    fail "bank F3 was not saved: $(sed -n 2p "$work/con_set.dat")"
grep -q "^ 1 " "$work/con_set.dat" || fail "the chosen port was not saved: $(sed -n 1p "$work/con_set.dat")"
start_program
lines=$(wc -l <"$work/dump.log")
"$xkey" tap 69 100          # F3
sleep 0.5
tail -n +$((lines + 1)) "$work/dump.log" | grep -qi "c0 28" || fail "F3 did not recall program 40 after a restart"

# Z's two lights are orange while it is held (probed clear of its key label).
for probe in 99,160 102,206; do
    pixel=$(convert "$work/held.png" -format "%[pixel:p{$probe}]" info: 2>/dev/null)
    [[ $pixel == "srgb(255,128,0)" ]] || fail "Z is not lit at $probe while held: $pixel"
done
echo "e2e: passed"
