#!/usr/bin/env bash
# What a player hears: Orca runs under Xvfb on a private D-Bus session with the program, real
# keys and pointer moves go in, and what Orca speaks is read from its debug log (it logs each
# utterance whether or not a speech server answers). Stops only what it started.
#   bash scripts/orca_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"  # stop_and_wait, jack_start
source "$here/lib/x11.sh"
source "$here/lib/work.sh"

fail() {
    echo "orca: $*"
    [[ -f $work/orca.log ]] && grep -a "EVENT MANAGER: [a-z:-]* for" "$work/orca.log" | tail -n 5 | cut -c1-150
    [[ -f $work/orca.log ]] && grep -a "SPEECH OUTPUT" "$work/orca.log" | cut -c17- | sed 's/^/  heard/'
    exit 1
}

command -v orca >/dev/null || fail "orca is missing (package orca)"
launcher=/usr/libexec/at-spi-bus-launcher
[[ -x $launcher ]] || fail "at-spi-bus-launcher is missing (package at-spi2-core)"

work_begin orca
work_private_dirs
export JACK_DEFAULT_SERVER=tonvel-orca-$$ JACK_NO_START_SERVER=1 GSETTINGS_BACKEND=memory

xvfb_start 390
started=$?
pids+=("$xvfb_pid")
[[ $started -eq 0 ]] || fail "Xvfb did not start"
jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" 256
started=$?
pids+=("$jack_pid")
[[ $started -eq 0 ]] || fail "JACK did not start"

dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/bus ]] && break; sleep 0.1; done
[[ -s $work/bus ]] || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
pids+=($!)
sleep 1

/usr/bin/python3 "$here/lib/orca_lines.py" "$work/orca.log" >"$work/orca.out" 2>&1 &
pids+=($!)
for _ in $(seq 200); do grep -aq "Screen reader on" "$work/orca.log" 2>/dev/null && break; sleep 0.1; done
grep -aq "Screen reader on" "$work/orca.log" || fail "Orca did not start: $(tail -n 3 "$work/orca.out")"

cp "$build/tonvel" "$work/"
QT_QPA_PLATFORM=xcb "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
pids+=($!)
focus_program_window || fail "the window did not appear"
sleep 2

spoken() { grep -a "SPEECH OUTPUT" "$work/orca.log" | cut -d"'" -f2; }
# Waits up to 10 s for an utterance matching $1 after the first $2 lines of speech.
hear() {
    for _ in $(seq 100); do
        spoken | tail -n +$(($2 + 1)) | grep -Eq "$1" && return 0
        sleep 0.1
    done
    return 1
}
mark() { said=$(spoken | wc -l); }

xkey=$build/tests/tonvel_xkey
mark
"$xkey" tap 52 100 # Z: a note is never spoken
sleep 1
"$xkey" tap 114 60 # Right
hear '^Instrument: [0-9]+ .* push button\.$' "$said" || fail "Right arrow: no instrument heard"
first=$(spoken | tail -n +$((said + 1)) | grep -E '^Instrument: ' | tail -n1)
mark
"$xkey" tap 114 60
hear '^Instrument: [0-9]+ .* push button\.$' "$said" || fail "the next Right arrow was not heard"
second=$(spoken | tail -n +$((said + 1)) | grep -E '^Instrument: ' | tail -n1)
[[ $first != "$second" ]] || fail "the same instrument twice: $first"
echo "orca: heard '$first' then '$second'"

check() {
    mark
    "${@:2}"
    hear "$1" "$said" || fail "not heard: $1"
    echo "orca: heard $(spoken | tail -n +$((said + 1)) | grep -E "$1" | head -n1)"
}
check '^Base note: [A-G]#? push button\.$' "$xkey" tap 111 60
check '^Bank F2: ' "$xkey" tap 68 60
check '^Rhythm: .*, playing push button\.$' "$xkey" tap 71 60
check '^Rhythm: .*, stopped push button\.$' "$xkey" tap 75 60
ctrl_r() {
    "$xkey" down 37
    "$xkey" tap 27 60
    "$xkey" up 37
}
check '^Recording on ' ctrl_r
check '^Recording off ' ctrl_r

# The pointer over the first two window buttons: the status line's help.
extents() {
    /usr/bin/python3 - "$1" <<'EOF'
import sys
import pyatspi
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "tonvel":
        for window in app:
            if window is not None and window.name == "Tonvel":
                x, y, w, h = window[int(sys.argv[1])].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                print(x + w // 2, y + h // 2)
EOF
}
# A hover after keys may be emptied by the status line's pending clear; the next movement over
# the button writes it again, and then it stays, as a real pointer's would.
hover() {
    xdotool mousemove "$1" "$2"
    sleep 0.8
    xdotool mousemove "$(($1 + 1))" "$2"
}
for button in 0 1; do
    at=$(extents "$button")
    [[ -n $at ]] || fail "no window button $button in the tree"
    # shellcheck disable=SC2086
    check "^$( ((button == 0)) && echo Main || echo Settings) menu statusbar" hover $at
done

spoken | grep -q 'key Z' && fail "a played key was spoken"
echo "orca: passed"
