#!/usr/bin/env bash
# End to end: the real program under Xvfb, real key events through XTest, and the MIDI
# bytes it sends arriving at a JACK MIDI receiver. Stops only what it started.
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"
source "$here/lib/x11.sh"
source "$here/lib/work.sh"
work_begin e2e

fail() {
    echo "e2e: $*"
    [[ -f $work/dump.log ]] && { echo "--- received:"; cat "$work/dump.log"; }
    exit 1
}

work_private_dirs
export JACK_DEFAULT_SERVER=tonvel-e2e-$$ JACK_NO_START_SERVER=1 JACK_NO_AUDIO_RESERVATION=1

# A quiet virtual machine halts its idle CPUs, and a halted CPU can wake 20 ms late: the
# server's clock and the program's sending thread with it. One spinner per CPU at idle
# priority keeps them awake and takes no time from any other thread.
for _ in $(seq "$(nproc)"); do
    chrt --idle 0 sh -c 'while :; do :; done' &
    pids+=($!)
done

xvfb_start 90
started=$?
pids+=("$xvfb_pid")
[[ $started -eq 0 ]] || fail "Xvfb did not start"

# Short periods show timing to the millisecond; without real-time priority a server misses
# too many of them on a busy machine, so it takes longer ones.
period=64
chrt -f 10 true 2>/dev/null || period=256
jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" "$period"
started=$?
pids+=("$jack_pid")
[[ $started -eq 0 ]] || fail "JACK did not start: $(cat "$work/jackd.log")"
# A receiver that loses nothing, also on a busy machine: frame, microseconds, bytes per line;
# it notes the server's late cycles in late.log.
"$build/tests/tonvel_jack_receiver" midi-monitor "$work/late.log" >"$work/dump.log" \
    2>"$work/receiver.log" &
pids+=($!)
for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q midi-monitor:input && break; sleep 0.1; done

# The program keeps its files beside itself: give it a folder of its own.
cp "$build/tonvel" "$work/"
# Starts the program and waits for its window to have the focus.
start_program() {
    "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
    program=$!
    pids+=($program)
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
since_mark() { received_endings_once "$work/dump.log" $((marked + 1)) | cut -d' ' -f3-; }
count_since_mark() { since_mark | grep -c "^$1\$"; }
visible_windows() { xdotool search --onlyvisible --class tonvel 2>/dev/null | wc -l; }

# Held keys, with the X server's own auto-repeat and two busy loops beside the program:
# each hold sounds once and ends once.
busy=()
for _ in 1 2; do (while :; do :; done) & busy+=($!); pids+=($!); done
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
    kill -0 "$program" 2>/dev/null || fail "key $key held, then modifier $modifier: the program ended"
    [[ $(visible_windows) -eq 1 ]] || { xdotool key Escape; fail "key $key held, then modifier $modifier: a menu opened"; }
    [[ $(since_mark | grep -c '^9. .. 7f$') -eq 1 && $(since_mark | grep -c '^8. .. 00$') -eq 1 ]] ||
        fail "key $key held, then modifier $modifier: $(since_mark | tr '\n' ',')"
done

# AltGr on a French layout is Ctrl+Alt: AltGr+Q plays nothing; Q alone plays.
setxkbmap fr
sleep 0.3
mark
"$xkey" down 108; "$xkey" tap 24; "$xkey" up 108; sleep 0.3
[[ $(since_mark | grep -c '^9') -eq 0 ]] || { setxkbmap us; fail "AltGr+Q played: $(since_mark | tr '\n' ',')"; }
"$xkey" tap 24; sleep 0.3
setxkbmap us
[[ $(since_mark | grep -c '^90 47 7f$') -eq 1 ]] || fail "Q did not play after AltGr: $(since_mark | tr '\n' ',')"

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

# The rhythm: F5 plays "16 Beat" (a hi-hat on every step, 115 ms apart), F9 stops it and
# nothing more arrives after the stop.
mark
began=$(date +%s%N)
"$xkey" tap 71 30; sleep 1.5; "$xkey" tap 75 30
played=$((($(date +%s%N) - began) / 1000000))
received_now() { received_endings_once "$work/dump.log" 1 | wc -l; }
stopped=$(received_now)
sleep 0.5
steps=$(count_since_mark "99 2c 7f")
# A busy machine may sleep longer than asked: the steps follow the time that really passed.
[[ $steps -ge $((played / 115 - 3)) && $steps -le $((played / 115 + 2)) ]] ||
    fail "F5 for $played ms gave $steps rhythm steps"
[[ $(received_now) -eq $stopped ]] || fail "the rhythm went on after F9"
"$build/tests/tonvel_step_timing" 115 48000 "99 2c" 1 system < <(tail -n +$((marked + 1)) "$work/dump.log") |
    sed 's/^/e2e: rhythm /'

# Recording: Ctrl+R, a key, a pad and two rhythm steps, Ctrl+R. The file in the music folder
# holds what the port received, at the times it received it; Ctrl+P plays it back to the port
# with the same bytes and the same gaps.
# Messages of a MIDI file as "<ms> <bytes>" lines, through a MIDI tool of the system.
midi_file_messages() {
    midicsv "$1" | awk -F', *' '
        $3 == "Note_on_c"  { printf "%d %02x %02x %02x\n", $2, 144 + $4, $5, $6 }
        $3 == "Note_off_c" { printf "%d %02x %02x %02x\n", $2, 128 + $4, $5, $6 }
        $3 == "Control_c"  { printf "%d %02x %02x %02x\n", $2, 176 + $4, $5, $6 }
        $3 == "Program_c"  { printf "%d %02x %02x\n", $2, 192 + $4, $5 }'
}
mark
"$xkey" down 37; "$xkey" tap 27; "$xkey" up 37    # Ctrl+R
sleep 0.3
"$xkey" tap 52 200; sleep 0.2                    # Z
"$xkey" tap 88 100; sleep 0.2                    # keypad 2
"$xkey" tap 71 30; sleep 0.3; "$xkey" tap 75 30  # two or three rhythm steps
sleep 0.3
"$xkey" down 37; "$xkey" tap 27; "$xkey" up 37    # Ctrl+R
sleep 0.5
recordings=("$HOME"/Music/Tonvel/*.mid)
[[ ${#recordings[@]} -eq 1 && -s ${recordings[0]} ]] || fail "Ctrl+R saved no recording in ~/Music/Tonvel"
midi_file_messages "${recordings[0]}" >"$work/recorded.txt"
[[ -s $work/recorded.txt ]] || fail "midicsv read nothing from the recording"
# The file: the instrument in use first, then what the port received, in its order.
head -n 3 "$work/recorded.txt" | cut -d' ' -f2- | tr '\n' , | grep -qx "b0 00 00,b0 20 00,c0 12," ||
    fail "the recording does not start with the instrument: $(head -n 3 "$work/recorded.txt")"
since_mark >"$work/sent.txt"
grep -v '^[bc]' "$work/sent.txt" >"$work/sent-notes.txt"
grep -v ' [bc][0-9a-f] ' "$work/recorded.txt" | cut -d' ' -f2- >"$work/recorded-notes.txt"
cmp -s "$work/sent-notes.txt" "$work/recorded-notes.txt" ||
    fail "the recording's notes differ from the port's: $(diff "$work/sent-notes.txt" "$work/recorded-notes.txt" | tr '\n' ' ')"
# Ctrl+P: the same messages leave in the same order, each within a period and 4 ms of its
# time in the file. A server cycle that comes late bunches what was sent meanwhile into one
# cycle, whatever the program did: the cycles late during the playback widen the limit by
# their lateness.
mark
"$xkey" down 37; "$xkey" tap 33; "$xkey" up 37    # Ctrl+P
sleep 2.5
received_endings_once "$work/dump.log" $((marked + 1)) | head -n "$(wc -l <"$work/recorded.txt")" >"$work/played-raw.txt"
awk '{ printf "%d", $2 / 1000; for (i = 3; i <= NF; ++i) printf " %s", $i; print "" }' \
    "$work/played-raw.txt" >"$work/played.txt"
cut -d' ' -f2- "$work/played.txt" | cmp -s - <(cut -d' ' -f2- "$work/recorded.txt") ||
    fail "Ctrl+P played other bytes than the file holds: $(diff <(cut -d' ' -f2- "$work/played.txt") <(cut -d' ' -f2- "$work/recorded.txt") | tr '\n' ' ')"
late_us=$(awk -v first="$(head -n1 "$work/played-raw.txt" | cut -d' ' -f1)" \
    -v last="$(tail -n1 "$work/played-raw.txt" | cut -d' ' -f1)" -v period="$period" \
    '$1 >= first - period && $1 <= last + period && $2 > worst { worst = $2 } END { print worst + 0 }' \
    "$work/late.log")
limit=$((period * 1000 / 48000 + 4 + (late_us + 999) / 1000))
paste -d' ' <(cut -d' ' -f1 "$work/recorded.txt") <(cut -d' ' -f1 "$work/played.txt") |
    awk -v limit="$limit" 'NR == 1 { r0 = $1; p0 = $2 } { d = ($2 - p0) - ($1 - r0); if (d < 0) d = -d; if (d > worst) worst = d }
         END { print worst + 0; exit worst > limit }' >"$work/worst.txt" ||
    fail "Ctrl+P played off the recording's time by $(cat "$work/worst.txt") ms (allowed $limit ms; the server's cycles came up to $((late_us / 1000)) ms late)"
echo "e2e: playback kept the recording's times within $(cat "$work/worst.txt") ms (allowed $limit ms; the server's cycles came up to $((late_us / 1000)) ms late)"

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

# Without a window manager the window follows the pointer itself: a drag of 80,60 on the bare
# skin beside the banks moves it 80,60.
xdotool windowfocus "$window" 2>/dev/null
eval "$(xdotool getwindowgeometry --shell "$window")"
x0=$X y0=$Y
xdotool mousemove $((X + 20)) $((Y + 100)); sleep 0.2
xdotool mousedown 1; sleep 0.2
xdotool mousemove $((X + 60)) $((Y + 130)); sleep 0.3
xdotool mousemove $((X + 100)) $((Y + 160)); sleep 0.3
xdotool mouseup 1; sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
[[ $((X - x0)),$((Y - y0)) == 80,60 ]] ||
    fail "a drag of 80,60 without a window manager moved the window $((X - x0)),$((Y - y0))"

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
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
kill -0 "$program" 2>/dev/null && fail "Ctrl+X did not end the program"
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
kill -TERM "$program"
wait "$program"
status=$?
"$xkey" up 52
sleep 0.3
[[ $status -eq 0 ]] || fail "SIGTERM ended the program with status $status"
# The window ends the key, and the output's close ends again every note that left.
(($(count_since_mark "80 36 00") >= 1)) || fail "SIGTERM sent no note-off for the held key"
(($(count_since_mark "90 36 7f") == 1)) || fail "the held key sounded other than once before the exit"
[[ -s $work/con_set.dat ]] || fail "SIGTERM did not save the settings"
for file in ins.ins license.txt; do [[ -e $work/$file ]] && fail "$file was left behind at SIGTERM"; done

# Z's two lights are orange while it is held (probed clear of its key label).
for probe in 99,160 102,206; do
    pixel=$(convert "$work/held.png" -format "%[pixel:p{$probe}]" info: 2>/dev/null)
    [[ $pixel == "srgb(255,128,0)" ]] || fail "Z is not lit at $probe while held: $pixel"
done
echo "e2e: passed"
