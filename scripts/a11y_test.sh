#!/usr/bin/env bash
# What a screen reader finds in the real program: under Xvfb, on a private D-Bus session with
# its own accessibility bus, scripts/a11y_probe.py walks the AT-SPI tree, plays real keys and
# listens to the events (names, roles, states, values, announcements). Stops only what it
# started.
#   bash scripts/a11y_test.sh BUILD_DIR
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"  # stop_and_wait, jack_start
source "$here/lib/x11.sh"
source "$here/lib/work.sh"

fail() {
    echo "a11y: $*"
    [[ -f $work/tonvel.log ]] && sed 's/^/  tonvel: /' "$work/tonvel.log" | tail -n 20
    exit 1
}

launcher=/usr/libexec/at-spi-bus-launcher
[[ -x $launcher ]] || fail "at-spi-bus-launcher is missing (package at-spi2-core)"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || fail "pyatspi is missing (package python3-pyatspi)"
command -v dbus-daemon >/dev/null || fail "dbus-daemon is missing (package dbus-daemon)"
command -v dbus-send >/dev/null || fail "dbus-send is missing (package dbus-bin)"

work_begin a11y
work_private_dirs
export JACK_DEFAULT_SERVER=tonvel-a11y-$$ JACK_NO_START_SERVER=1

xvfb_start 290
started=$?
pids+=("$xvfb_pid")
[[ $started -eq 0 ]] || fail "Xvfb did not start"

# The keys need an output that is ready: a dummy JACK server takes the built-in synthesizer.
jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" 256
started=$?
pids+=("$jack_pid")
[[ $started -eq 0 ]] || fail "JACK did not start: $(cat "$work/jackd.log")"

# A session bus of our own, and the accessibility bus the launcher starts beside it.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/bus ]] && break; sleep 0.1; done
[[ -s $work/bus ]] || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1 && break
    sleep 0.1
done

cp "$build/tonvel" "$work/"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
program=$!
pids+=("$program")
focus_program_window || fail "the window did not appear"
sleep 1

/usr/bin/python3 "$here/a11y_probe.py" --xkey "$build/tests/tonvel_xkey" --pid "$program" \
    --window "$window" || fail "the probe failed"
echo "a11y: passed"
