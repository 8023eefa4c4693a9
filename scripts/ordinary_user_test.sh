#!/usr/bin/env bash
# Files the user may not read and a program directory the user may not write, tried as an
# ordinary user (root reads and writes everything): the unit tests of those cases, then the
# real program under Xvfb. Run as root, it uses the unprivileged account "nobody".
#
#   scripts/ordinary_user_test.sh [build-dir]     (default: build-ci)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-ci}" && pwd)
source "$here/lib/jack.sh"  # stop_and_wait
source "$here/lib/x11.sh"
source "$here/lib/gtest.sh"

as_user=()
if [[ $(id -u) -eq 0 ]]; then
    user=nobody
    id "$user" >/dev/null 2>&1 || { echo "ordinary_user: no account \"$user\" to run as" >&2; exit 1; }
    as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups --reset-env)
fi
owner=$(id -un "${user:-$(id -u)}")

work=$(mktemp -d /tmp/tonvel-user-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    chmod -R u+rwx "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "ordinary_user: $*"
    [[ -f $work/program.log ]] && tail -n 20 "$work/program.log"
    exit 1
}

# Runs a command as the ordinary user with a home, runtime and temporary folder of its own.
mkdir -m 700 "$work/home" "$work/home/runtime" "$work/home/tmp"
chown -R "$owner" "$work/home"
run_as_user() {
    (cd "$work" && exec "${as_user[@]}" env HOME="$work/home" XDG_RUNTIME_DIR="$work/home/runtime" \
        TMPDIR="$work/home/tmp" PATH="$PATH" DISPLAY="${DISPLAY:-}" JACK_NO_START_SERVER=1 "$@")
}

# The build may sit in a folder the user cannot enter (a home of mode 700): the user runs
# copies from the work folder.
mkdir -m 755 "$work/bin"
cp "$build/tests/tonvel_core_tests" "$work/bin/" || fail "no unit tests in $build/tests"

echo "-- unit tests as $owner"
output=$(run_as_user "$work/bin/tonvel_core_tests" --gtest_filter='OrdinaryUser.*:ProgramFiles.*:PreferencesFiles.*' 2>&1)
status=$?
gtest_show
gtest_require_all_passed "ordinary_user" "the ordinary user's tests" || exit 1

xvfb_start 150 || fail "Xvfb did not start"
pids+=("$xvfb_pid")

# Starts the program from $1 as the user, answers every message box with Enter and prints its
# text's first line, waits for the main window, and closes it with Ctrl+X.
run_program() {
    run_as_user "$1/tonvel" >"$work/program.log" 2>&1 &
    local program=$! window="" box
    pids+=("$program")
    for _ in $(seq 200); do
        box=$(xdotool search --onlyvisible --name '^:: Tonvel 1\.0 ::$' 2>/dev/null | head -n1)
        if [[ -n $box ]]; then
            sleep 0.3
            echo "box"
            xdotool windowfocus "$box" key Return 2>/dev/null
            sleep 0.3
            continue
        fi
        window=$(xdotool search --onlyvisible --name '^Tonvel$' 2>/dev/null | head -n1)
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || { echo "no window"; return; }
    sleep 1
    box=$(xdotool search --onlyvisible --name '^:: Tonvel 1\.0 ::$' 2>/dev/null | head -n1)
    [[ -n $box ]] && echo "box after the window"
    xdotool windowfocus "$window" key ctrl+x 2>/dev/null
    for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$program" 2>/dev/null && echo "still running"
    wait "$program" 2>/dev/null || echo "exit status $?"
}

settings=$work/settings
printf ' 0             1             0 \r\n 40            41            42            43 \r\n' >"$settings"
printf ' 35            36            37            38            39            40            41            42            43            44            45            46 \r\n' >>"$settings"
install_program() {
    mkdir -p "$1"
    cp "$build/tonvel" "$1/"
    chown -R "$owner" "$1"
}

echo "-- unreadable con_set.dat: four boxes, the file kept"
install_program "$work/a"
cp "$settings" "$work/a/con_set.dat"
chown "$owner" "$work/a/con_set.dat"
chmod 000 "$work/a/con_set.dat"
seen=$(run_program "$work/a")
[[ $seen == $'box\nbox\nbox\nbox' ]] || fail "unreadable settings: saw \"$seen\", wanted four boxes"
[[ $(stat -c %a "$work/a/con_set.dat") == 0 ]] || fail "the unreadable settings file changed mode"
cmp -s "$work/a/con_set.dat" "$settings" || fail "the unreadable settings file changed"

echo "-- unreadable ins.ins: no box, settings saved, ins.ins removed at exit"
install_program "$work/b"
printf '1\tMy Piano\r\n' >"$work/b/ins.ins"
chown "$owner" "$work/b/ins.ins"
chmod 000 "$work/b/ins.ins"
seen=$(run_program "$work/b")
[[ -z $seen ]] || fail "unreadable names: saw \"$seen\""
[[ -s $work/b/con_set.dat ]] || fail "unreadable names: the settings were not saved"
[[ ! -e $work/b/ins.ins ]] || fail "unreadable names: ins.ins was left"

echo "-- read-only program directory: no box, nothing written, settings kept"
install_program "$work/c"
data=$work/home/.local/share/tonvel
mkdir -p "$data"
cp "$settings" "$data/con_set.dat"
chown -R "$owner" "$work/home/.local"
chmod 555 "$work/c" "$data"
seen=$(run_program "$work/c")
[[ -z $seen ]] || fail "read-only directory: saw \"$seen\""
[[ $(ls -A "$data") == con_set.dat ]] || fail "read-only directory: it now holds $(ls -A "$data")"
[[ $(ls -A "$work/c") == tonvel ]] || fail "read-only directory: the program's own holds $(ls -A "$work/c")"
cmp -s "$data/con_set.dat" "$settings" || fail "read-only directory: the settings changed"
echo "ordinary_user: passed"
