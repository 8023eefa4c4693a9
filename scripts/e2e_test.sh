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
# A receiver that loses nothing, also on a busy machine: frame, microseconds, bytes per line.
"$build/tests/tonvel_jack_receiver" midi-monitor >"$work/dump.log" 2>"$work/receiver.log" &
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

# What the receiver got since the mark, one message per line.
mark() { marked=$(wc -l <"$work/dump.log"); }
since_mark() { tail -n +$((marked + 1)) "$work/dump.log" | cut -d' ' -f3- | tr 'A-F' 'a-f'; }
count_since_mark() { since_mark | grep -c "^$1\$"; }
visible_windows() { xdotool search --onlyvisible --class tonvel 2>/dev/null | wc -l; }

# Held keys, with the X server's own auto-repeat and two busy loops beside the program:
# each hold sounds once and ends once.
busy=()
for _ in 1 2; do (while :; do :; done) & busy+=($!); done
for hold in 1 2 3 4 5; do
    mark
    "$xkey" down 52; sleep 1.5; "$xkey" up 52; sleep 0.3
    ons=$(count_since_mark "90 36 7f") offs=$(count_since_mark "80 36 00")
    [[ $ons -eq 1 && $offs -eq 1 ]] || { kill "${busy[@]}"; fail "hold $hold of Z on a busy machine: $ons note-ons, $offs note-offs"; }
done
mark
for key in 52 56 59; do "$xkey" down $key; done   # a chord: Z, C, comma
"$xkey" down 88                                   # and keypad 2
sleep 1.5
for key in 52 56 59 88; do "$xkey" up $key; done
sleep 0.3
kill "${busy[@]}"
[[ $(since_mark | grep -c '^9') -eq 4 && $(since_mark | grep -c '^8') -eq 4 ]] ||
    fail "a held chord and pad sounded other than once each: $(since_mark | tr '\n' ',')"

# A modifier pressed over a held key ends that key's repeat: X then Ctrl does not exit,
# C then Alt opens no menu, keypad 2 then Ctrl opens no pad menu.
for pair in 53:37 54:64 88:37; do
    IFS=: read -r key modifier <<<"$pair"
    mark
    "$xkey" down "$key"; sleep 0.8; "$xkey" down "$modifier"; sleep 0.8
    "$xkey" up "$key"; "$xkey" up "$modifier"; sleep 0.3
    kill -0 "${pids[-1]}" 2>/dev/null || fail "key $key held, then modifier $modifier: the program ended"
    [[ $(visible_windows) -eq 1 ]] || { xdotool key Escape; fail "key $key held, then modifier $modifier: a menu opened"; }
    [[ $(since_mark | grep -c '^9. .. 7f$') -eq 1 && $(since_mark | grep -c '^8. .. 00$') -eq 1 ]] ||
        fail "key $key held, then modifier $modifier: $(since_mark | tr '\n' ',')"
done

# A key let go while a menu is open: its note ends when the menu opens, and the next tap plays.
mark
"$xkey" down 52; sleep 0.3
"$xkey" down 64; "$xkey" tap 54; "$xkey" up 64   # Alt+C: the instrument menu
sleep 0.5
[[ $(visible_windows) -eq 2 ]] || fail "Alt+C did not open the instrument menu"
"$xkey" up 52; sleep 0.2
"$xkey" tap 9; sleep 0.3                          # Escape closes the menu
xdotool windowfocus "$window" 2>/dev/null
"$xkey" tap 52 150; sleep 0.3
[[ "$(since_mark | tr '\n' ,)" == "90 36 7f,80 36 00,90 36 7f,80 36 00," ]] ||
    fail "Z let go while a menu was open: $(since_mark | tr '\n' ',')"

# Choosing sounds from the keyboard: a program step, the Alt + keypad jump, the
# instrument menu driven by keys, the channel box with a typed number, a base-note step.
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

# SIGTERM with a key held: the note ends, the settings are saved, the written files go, and
# the exit status is 0.
rm -f "$work/con_set.dat"
mark
"$xkey" down 52; sleep 0.5
kill -TERM "${pids[-1]}"
wait "${pids[-1]}"
status=$?
"$xkey" up 52
sleep 0.3
[[ $status -eq 0 ]] || fail "SIGTERM ended the program with status $status"
count_since_mark "80 36 00" | grep -qx 1 || fail "SIGTERM sent no note-off for the held key"
[[ -s $work/con_set.dat ]] || fail "SIGTERM did not save the settings"
for file in ins.ins license.txt; do [[ -e $work/$file ]] && fail "$file was left behind at SIGTERM"; done

# Z's two lights are orange while it is held (probed clear of its key label).
for probe in 99,160 102,206; do
    pixel=$(convert "$work/held.png" -format "%[pixel:p{$probe}]" info: 2>/dev/null)
    [[ $pixel == "srgb(255,128,0)" ]] || fail "Z is not lit at $probe while held: $pixel"
done
echo "e2e: passed"
