#!/usr/bin/env bash
# Ends what sounds the way a player does — the program closed, the MIDI device changed,
# playback stopped at random moments — with keys held or notes sounding, and counts at a JACK
# port that loses nothing every note-on that never got its note-off. Each figure quiet, then
# beside two busy loops.
#   scripts/bench_edges.sh [BUILD_DIR]
# CYCLES (20) sets the exits and device changes per figure, STOPS (16) the playback stops per
# file, TERMS (2) the ends while recording; CYCLES=5 STOPS=6 TERMS=1 is a quick run. SEED
# changes the random moments; FIGURES=3 (or 14...) measures only those; figure 5 is figure 3
# with the settings menu opened during every other playback.
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
cycles=${CYCLES:-20}
stops=${STOPS:-16}
terms=${TERMS:-2}
only=${FIGURES:-12345}
RANDOM=${SEED:-1}
source "$here/lib/session.sh"
source "$here/lib/stuck_notes.sh"
session_start "$build" 64 || exit 1
began=$SECONDS

readonly Z=52 X=53 P=33 R=27 CTRL=37 F5=71 F9=75
ctrl() { "$xkey" down $CTRL; "$xkey" tap "$1"; "$xkey" up $CTRL; }
lines_since() { tail -n +$(($1 + 1)) "$received"; }
# The last $2 messages since line $1, on one line.
last_since() { lines_since "$1" | tail -n "$2" | cut -d' ' -f3- | paste -sd, -; }

# The program running with the receiver as its output; after a start the program may have it
# from its saved settings already.
program_up() {
    [[ -n ${program:-} ]] && kill -0 "$program" 2>/dev/null && return 0
    session_program_start || return 1
    for _ in $(seq 30); do session_receiver_chosen && return 0; sleep 0.1; done
    session_choose_receiver
    session_receiver_chosen || { echo "the receiver could not be chosen" >&2; return 1; }
}

# Figure 1. Holds Z, then ends the program with Ctrl+X or SIGTERM ($1), $cycles times.
exit_with_key_held() {
    local how=$1 clean=0 hung=0 slowest=0 from stuck details=""
    for ((c = 1; c <= cycles; c++)); do
        program_up || { figure="the program did not start"; return; }
        sleep 0.3
        from=$(received_lines)
        "$xkey" down $Z
        sleep 0.4
        if [[ $how == Ctrl+X ]]; then
            "$xkey" down $CTRL; "$xkey" tap $X
        else
            kill -TERM "$program"
        fi
        session_program_wait 5
        "$xkey" up $Z; "$xkey" up $CTRL
        sleep 0.3
        [[ $program_status == hung ]] && hung=$((hung + 1))
        ((program_exit_ms > slowest)) && slowest=$program_exit_ms
        stuck=$(lines_since "$from" | stuck_notes)
        if [[ $stuck == 0 ]] && lines_since "$from" | grep -q ' 9. 36 7f$'; then
            clean=$((clean + 1))
        else
            details+=" [exit $c: stuck $stuck; last: $(last_since "$from" 3)]"
        fi
    done
    figure="note-off arrived at $clean of $cycles exits; $hung did not end within 5 s; slowest exit $slowest ms$details"
}

# Figure 2. Holds Z and changes the device to the built-in synthesizer and back, $cycles
# times: the receiver must have Z's note-off before the change away is done.
device_change_with_key_held() {
    local clean=0 back=0 from stuck details=""
    for ((c = 1; c <= cycles; c++)); do
        program_up || { figure="the program did not start"; return; }
        from=$(received_lines)
        "$xkey" down $Z
        sleep 0.4
        # Midi Device, its first item: the built-in synthesizer.
        xdotool key alt+s; sleep 0.4
        xdotool key Down Down Right; sleep 0.3
        xdotool key Return; sleep 0.4
        xdotool windowfocus "$window" 2>/dev/null; sleep 0.4
        stuck=$(lines_since "$from" | stuck_notes)
        if [[ $stuck == 0 ]] && lines_since "$from" | grep -q ' 9. 36 7f$'; then
            clean=$((clean + 1))
        else
            details+=" [change $c: stuck $stuck; last: $(last_since "$from" 3)]"
        fi
        session_choose_receiver
        "$xkey" up $Z
        sleep 0.3
        # Back on the receiver, a tap sounds and ends there.
        from=$(received_lines)
        "$xkey" tap $Z 100; sleep 0.3
        [[ $(lines_since "$from" | stuck_notes) == 0 ]] &&
            lines_since "$from" | grep -q ' 9. 36 7f$' && back=$((back + 1))
    done
    figure="note-off arrived at $clean of $cycles changes; back on the receiver with a clean tap $back of $cycles$details"
}

# The playback files, in the recordings folder under names of the program's kind; the newest
# by modification time plays. A tick is a millisecond (500 ticks a quarter, 120 beats a
# minute). Each ends with a harmless controller (sustain off) two seconds after its last
# note, so that a Ctrl+P a little late still stops playback rather than starting it again.
recordings=$HOME/Music/Tonvel
mkdir -p "$recordings" "$work/files"
midi_file_from() {
    awk 'BEGIN { print "0, 0, Header, 0, 1, 500"; print "1, 0, Start_track"; print "1, 0, Tempo, 500000" }
         { kind = $2 == "off" ? "Note_off_c" : $2 == "cc" ? "Control_c" : "Note_on_c"
           print "1, " $1 ", " kind ", " $3 ", " $4 ", " $5; last = $1 }
         END { print "1, " last ", End_track"; print "0, 0, End_of_file" }' | csvmidi - "$1"
}
# (a) 5 s of 16th notes at 120 beats a minute, each lasting an 8th, over 8ths lasting a quarter.
for ((n = 0; n < 40; n++)); do
    echo "$((n * 125)) on 0 $((60 + n * 5 % 24)) 100"; echo "$((n * 125 + 250)) off 0 $((60 + n * 5 % 24)) 0"
    ((n < 20)) && { echo "$((n * 250)) on 0 $((36 + n * 7 % 12)) 90"; echo "$((n * 250 + 500)) off 0 $((36 + n * 7 % 12)) 0"; }
done | sort -n -s -k1,1 | { cat; echo "7250 cc 0 64 0"; } | midi_file_from "$work/files/fast.mid"
# (b) 100 notes on at 0, each ended (by a note-on at velocity 0) 5 ms after the one before
# from 1 s on.
{
    for ((n = 0; n < 100; n++)); do echo "0 on 0 $((20 + n)) 100"; done
    for ((n = 0; n < 100; n++)); do echo "$((1000 + n * 5)) zero 0 $((20 + n)) 0"; done
    echo "3500 cc 0 64 0"
} | midi_file_from "$work/files/release.mid"
# (c) 3,000 note-on/note-off pairs at one instant.
{
    for ((n = 0; n < 3000; n++)); do echo "0 on 0 $((21 + n % 88)) 100"; echo "0 off 0 $((21 + n % 88)) 0"; done
    echo "2000 cc 0 64 0"
} | midi_file_from "$work/files/burst.mid"
cp "$work/files/fast.mid" "$recordings/Tonvel 2000-01-01 00-00-01.mid"
cp "$work/files/release.mid" "$recordings/Tonvel 2000-01-01 00-00-02.mid"
cp "$work/files/burst.mid" "$recordings/Tonvel 2000-01-01 00-00-03.mid"
declare -A file_of=([a]="Tonvel 2000-01-01 00-00-01.mid" [b]="Tonvel 2000-01-01 00-00-02.mid"
    [c]="Tonvel 2000-01-01 00-00-03.mid")
# The latest moment to stop each, in ms after Ctrl+P: within its notes.
declare -A last_moment=([a]=5200 [b]=1500 [c]=60)

# Plays file $1 and stops it $3 ms after Ctrl+P with $2 (Ctrl+P, F9, Ctrl+X or SIGTERM);
# with $4 "menu", opens the settings menu halfway there and closes it again (which lists the
# ports and pauses the sending thread). Sets stuck (count and notes) and burst (note messages
# arrived).
play_and_stop() {
    local file=$1 how=$2 moment=$3 menu=${4:-} from
    program_up || return 1
    touch "$recordings/${file_of[$file]}"
    sleep 0.2
    from=$(received_lines)
    ctrl $P
    # F9 stops the rhythm, not playback: with it, the rhythm plays along and both stop at once.
    [[ $how == F9 ]] && "$xkey" tap $F5
    if [[ $menu == menu ]]; then
        sleep "$(awk -v ms="$moment" 'BEGIN { printf "%.3f", ms / 2000 }')"
        xdotool key alt+s; sleep 0.1; xdotool key Escape
        xdotool windowfocus "$window" 2>/dev/null
        sleep "$(awk -v ms="$moment" 'BEGIN { printf "%.3f", ms / 2000 }')"
    else
        sleep "$(awk -v ms="$moment" 'BEGIN { printf "%.3f", ms / 1000 }')"
    fi
    case $how in
        Ctrl+P) ctrl $P ;;
        F9) "$xkey" tap $F9 0; ctrl $P ;;
        Ctrl+X) ctrl $X; session_program_wait 5 ;;
        SIGTERM) kill -TERM "$program"; session_program_wait 5 ;;
    esac
    sleep 0.6
    stuck=$(lines_since "$from" | stuck_notes)
    burst=$(lines_since "$from" | grep -c ' [89]. .. ..$')
    last=$(last_since "$from" 4)
    hung_now=""
    [[ ($how == Ctrl+X || $how == SIGTERM) && $program_status == hung ]] && hung_now=1
    return 0
}

# Figure 3. $stops stops of each file at random moments, one in six each by F9 with Ctrl+P
# (the rhythm playing along), Ctrl+X and SIGTERM, the rest by Ctrl+P. Figure 5: the same with
# the settings menu opened and closed during every other playback ($1 "menu").
playback_stops() {
    local methods=(Ctrl+P Ctrl+P Ctrl+P F9 Ctrl+X SIGTERM) total=0 left=0 hung=0 line="" menu=""
    local file how moment i fewest most details=""
    for file in a b c; do
        fewest="" most=0
        for ((i = 0; i < stops; i++)); do
            how=${methods[i % 6]}
            moment=$((RANDOM % (last_moment[$file] + 1)))
            menu=""
            [[ ${1:-} == menu && $((i % 2)) == 1 ]] && menu=menu
            play_and_stop "$file" "$how" "$moment" "$menu" || { figure="the program did not start"; return; }
            total=$((total + 1))
            [[ -n $hung_now ]] && hung=$((hung + 1))
            if [[ $stuck != 0 ]]; then
                left=$((left + 1))
                details+=" [file $file, $how at $moment ms${menu:+ with the menu}: stuck $stuck; last: $last]"
            fi
            if [[ $file == c ]]; then
                [[ -z $fewest || $burst -lt $fewest ]] && fewest=$burst
                ((burst > most)) && most=$burst
            fi
        done
    done
    # The burst played to its end.
    local from full
    program_up || { figure="the program did not start"; return; }
    touch "$recordings/${file_of[c]}"
    sleep 0.2
    from=$(received_lines)
    ctrl $P
    sleep 3
    full=$(lines_since "$from" | grep -c ' [89]. .. ..$')
    figure="$left of $total stops left a note stuck ($stops per file); $hung did not end within 5 s; burst file: $full of 6000 messages arrived played through, $fewest to $most when stopped$details"
}

# Figure 4. SIGTERM while recording into a folder that cannot be made: the time to exit, and
# whether the settings were saved.
sigterm_while_recording() {
    local saved=0 slowest=0 hung=0 n shown=""
    rm -rf "$recordings"
    echo "not a folder" >"$recordings"
    for ((n = 0; n < terms; n++)); do
        program_up || { figure="the program did not start"; return; }
        ctrl $R
        sleep 0.3
        "$xkey" tap $Z 100; sleep 0.3
        rm -f "$work/con_set.dat"
        kill -TERM "$program"
        # What it shows when it does not end; session_program_wait kills it after 10 s.
        (sleep 9; xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null |
            paste -sd, - >"$work/windows") &
        session_program_wait 10
        wait $!
        [[ $program_status == hung ]] && { hung=$((hung + 1)); shown=$(cat "$work/windows"); }
        ((program_exit_ms > slowest)) && slowest=$program_exit_ms
        [[ -s $work/con_set.dat ]] && saved=$((saved + 1))
    done
    rm -f "$recordings"
    figure="slowest exit $slowest ms (goal under 2000); $hung did not end within 10 s; settings saved $saved of $terms times${shown:+; windows shown when it hung: $shown}"
}

# The figures run in this shell, not in $(...): they start and wait for the program.
figures() {
    if [[ $only == *1* ]]; then
        exit_with_key_held Ctrl+X
        echo "1. exit with Z held, Ctrl+X, $1: $figure"
        exit_with_key_held SIGTERM
        echo "1. exit with Z held, SIGTERM, $1: $figure"
    fi
    if [[ $only == *2* ]]; then
        device_change_with_key_held
        echo "2. device change with Z held, $1: $figure"
    fi
    if [[ $only == *3* ]]; then
        playback_stops
        echo "3. playback stops, $1: $figure"
    fi
    if [[ $only == *5* ]]; then
        playback_stops menu
        echo "5. playback stops, the settings menu opened during every other one, $1: $figure"
    fi
    if [[ $only == *4* ]]; then
        sigterm_while_recording
        echo "4. SIGTERM while recording, unwritable folder, $1: $figure"
    fi
    mkdir -p "$recordings"
    cp "$work/files/fast.mid" "$recordings/${file_of[a]}"
    cp "$work/files/release.mid" "$recordings/${file_of[b]}"
    cp "$work/files/burst.mid" "$recordings/${file_of[c]}"
}
figures quiet
busy_start 2
figures "two busy loops"
busy_stop
echo "done in $((SECONDS - began)) s; the program's messages: $(grep -c . "$work/tonvel.log") lines in tonvel.log"
