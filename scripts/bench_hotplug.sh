#!/usr/bin/env bash
# Hot-plug storms: a stand-in USB keyboard is plugged into JACK and pulled out (killed) again
# and again while it holds notes, and a receiver that loses nothing on the program's JACK
# output counts the notes left on, after each storm and again after the program's exit.
# Every other cycle plugs the keyboard in, waits until the program has connected it, plays a
# note and pulls the keyboard out 0 to 100 ms later with the note held; the cycles between play
# note-ons every 10 ms from the plug on (some before the connection, some after) and pull it out
# at a random moment 20 to 250 ms after the plug.
#   bash scripts/bench_hotplug.sh [BUILD_DIR]   STORMS=5 CYCLES=200 SEED= BUSY=
# With JACK_REALTIME=no the server runs without real-time priority.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
source "$here/lib/session.sh"
source "$here/lib/stuck_notes.sh"
storms=${STORMS:-5}
cycles=${CYCLES:-200}
RANDOM=${SEED:-$$}
CTRL=37 KEY_X=53

session_start "$build" 64 || exit 1
echo "server: $(if ((jack_realtime)); then echo real-time priority; else echo no real-time priority; fi)"
[[ -n ${BUSY:-} ]] && busy_start 2
keyboard=$build/tests/tonvel_jack_keyboard
total=0
for ((storm = 1; storm <= storms; storm++)); do
    session_receiver_chosen || session_choose_receiver
    from=$(received_lines)
    started=$(date +%s%N)
    for ((cycle = 1; cycle <= cycles; cycle++)); do
        rm -f "$work/keys" "$work/heard"
        mkfifo "$work/keys" "$work/heard"
        "$keyboard" Keys <"$work/keys" >"$work/heard" 2>/dev/null &
        plugged=$!
        exec 3>"$work/keys" 4<"$work/heard"
        if ((cycle % 2 == 0)); then
            while read -r -t 3 line <&4 && [[ $line != connected ]]; do :; done
            echo "on $((36 + cycle % 48)) 100" >&3
            sleep "0.0$((RANDOM % 10))"
        else
            held=$((20 + RANDOM % 231))
            for ((t = 0; t < held; t += 10)); do
                echo "on $((36 + (cycle + t / 10) % 48)) 100" >&3
                sleep 0.01
            done
        fi
        kill -9 "$plugged" 2>/dev/null
        exec 3>&- 4<&-
        wait "$plugged" 2>/dev/null
    done
    seconds=$((($(date +%s%N) - started) / 1000000000))
    sleep 1
    result=$(tail -n +$((from + 1)) "$received" | stuck_notes)
    stuck=${result%% *}
    total=$((total + stuck))
    notes=$(tail -n +$((from + 1)) "$received" | awk 'tolower(substr($3, 1, 1)) == "9" && $5 != "00"' | wc -l)
    echo "storm $storm: $cycles cycles in $seconds s, $notes note-ons at the port, stuck: $result"
done
"$xkey" down $CTRL; "$xkey" tap $KEY_X; "$xkey" up $CTRL
session_program_wait 5
sleep 0.3
after=$(stuck_notes <"$received")
echo "hot-plug: $storms storms of $cycles cycles${BUSY:+ beside two busy loops}: $total notes stuck; after the exit ($program_status): ${after%% *} stuck"
grep -ci 'not finished' "$work/jackd.log" | sed 's/^/server: cycles a client did not finish in time: /'
