#!/usr/bin/env bash
# The end of the real program: a SIGTERM while a recording is made into a folder that cannot
# be made, with a menu open, ends it within 2 s with its settings written and the recording
# kept; the next start tells where, and ends as quickly with that box open. A --soundfont that
# is no SoundFont is refused at once. Stops only what it started.
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"
source "$here/lib/x11.sh"
source "$here/lib/work.sh"
work_begin exit
fail() {
    echo "exit_test: $*"
    [[ -f $work/tonvel.log ]] && { echo "--- program:"; cat "$work/tonvel.log"; }
    exit 1
}

work_private_dirs
export JACK_DEFAULT_SERVER=tonvel-exit-$$ JACK_NO_START_SERVER=1

: >"$work/empty.sf2"
"$build/tonvel" --soundfont "$work/empty.sf2" >/dev/null 2>"$work/refused.log"
status=$?
[[ $status -eq 2 ]] || fail "--soundfont with an empty file: status $status, not 2"
grep -q "empty.sf2" "$work/refused.log" || fail "the refusal does not name the file"

xvfb_start 190
started=$?
pids+=("$xvfb_pid")
[[ $started -eq 0 ]] || fail "Xvfb did not start"
xkey=$build/tests/tonvel_xkey
cp "$build/tonvel" "$work/"
touch "$work/firstrun.kvx"
# A file where the recordings folder would go: it cannot be made, whoever runs this.
echo "not a folder" >"$HOME/Music"

start_program() {
    "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
    program=$!
    pids+=($program)
    focus_program_window || fail "the window did not appear"
    sleep 1
}

# Sends SIGTERM and prints the milliseconds until the program has ended; fails after 2 s.
end_program() {
    local began ended
    began=$(date +%s%N)
    kill -TERM "$program"
    for _ in $(seq 200); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.01
    done
    ended=$(date +%s%N)
    kill -0 "$program" 2>/dev/null && fail "still running 2 s after SIGTERM ($1)"
    wait "$program"
    local status=$?
    [[ $status -eq 0 ]] || fail "exit status $status after SIGTERM ($1)"
    echo "SIGTERM to exit, $1: $(((ended - began) / 1000000)) ms"
}

start_program
rm -f "$work/con_set.dat"
"$xkey" down 37; "$xkey" tap 27; "$xkey" up 37   # Ctrl+R
sleep 0.3
"$xkey" down 64; "$xkey" tap 54; "$xkey" up 64   # Alt+C: the instrument menu stays open
sleep 0.5
end_program "recording, menu open"
[[ -s $work/con_set.dat ]] || fail "the settings were not written"
[[ -s "$work/unsaved recording.mid" ]] || fail "the recording was not kept beside the settings"

start_program
[[ -e "$work/unsaved recording.mid" ]] && fail "the kept recording still has its waiting name"
compgen -G "$work/Tonvel *.mid" >/dev/null || fail "the kept recording has no dated name"
[[ -n $(xdotool search --onlyvisible --name '^:: Tonvel 1.0 ::$' 2>/dev/null) ]] ||
    fail "no box tells where the recording is"
end_program "the box open"
exit 0
