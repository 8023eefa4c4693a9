#!/usr/bin/env bash
# The real program under Xvfb with a tonvel.ini it must not use: a link to a decoy file, a link to
# nowhere, a pipe, a folder, a 100 MB file, and an unreadable file (as an ordinary user: nobody,
# when root). For each: the main window shows (a pipe once held the start up for good), standard
# error tells once what was found, Ctrl+X ends the program within 2 s, and nothing at the name or
# behind a link has changed. The times are printed, beside those of a start without the file,
# and not judged: they are the machine's as much as the program's. A tonvel.ini as QSettings
# wrote it, with a comment and a key of someone else's, is read and kept. Then a recording not
# saved at an exit where "unsaved recording.mid" is a folder: kept beside it, and told of at the
# next start. Prints the timings; SHOTS=folder keeps a screenshot of each start's window there.
#
#   scripts/hostile_files_test.sh [build-dir]     (default: build-ci)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build-ci}" && pwd)
source "$here/lib/jack.sh"  # stop_and_wait
source "$here/lib/x11.sh"
source "$here/lib/work.sh"
work_begin hostile
chmod 755 "$work"
fail() {
    echo "hostile_files: $*"
    exit 1
}
work_private_dirs
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=tonvel-hostile-$$
shots=${SHOTS:-}
[[ -n $shots ]] && mkdir -p "$shots"
xkey=$build/tests/tonvel_xkey
[[ -x $xkey ]] || fail "no $xkey"

# Root may read anything: the unreadable file is tried as an ordinary user.
as_user=()
if [[ $(id -u) -eq 0 ]]; then
    id nobody >/dev/null 2>&1 || fail "no account \"nobody\" to run as"
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --reset-env)
    mkdir -m 700 "$work/nobody" "$work/nobody/runtime"
    chown -R nobody "$work/nobody"
fi

xvfb_start 170 || fail "Xvfb did not start"
pids+=("$xvfb_pid")
# A client that stays connected, so the server never resets between two starts.
xprop -root -spy >/dev/null 2>&1 &
pids+=($!)

now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Each line of standard input, after the time it arrived in ms.
stamp() { while IFS= read -r line; do echo "$(now_ms) $line"; done; }
# What a change to $1 would show: its kind, and a link's target or a file's checksum.
describe() {
    if [[ -L $1 ]]; then
        echo "link $(readlink "$1")"
    elif [[ -f $1 ]]; then
        echo "file $(sha1sum <"$1")"
    else
        stat -c %F "$1" 2>/dev/null || echo "nothing"
    fi
}

# Starts the program in folder $1 (as the ordinary user when $2 is "user"), answers a box with
# Enter, waits for the main window; sets program, started, shown (ms) and window.
start_in() {
    local folder=$1 box
    started=$(now_ms)
    if [[ ${2:-} == user && ${#as_user[@]} -gt 0 ]]; then
        (cd "$folder" && exec "${as_user[@]}" env HOME="$work/nobody" \
            XDG_RUNTIME_DIR="$work/nobody/runtime" TMPDIR="$work/nobody" PATH="$PATH" \
            DISPLAY="$DISPLAY" JACK_NO_START_SERVER=1 "$folder/tonvel") 2> >(stamp >>"$folder/stderr.log") &
    else
        "$folder/tonvel" 2> >(stamp >>"$folder/stderr.log") &
    fi
    program=$!
    pids+=("$program")
    window=""
    for _ in $(seq 750); do
        box=$(xdotool search --onlyvisible --name '^:: Tonvel 1\.0 ::$' 2>/dev/null | head -n1)
        if [[ -n $box ]]; then
            sleep 0.3
            xdotool windowfocus "$box" key Return 2>/dev/null
            continue
        fi
        window=$(xdotool search --onlyvisible --name '^Tonvel$' 2>/dev/null | head -n1)
        [[ -n $window ]] && break
        sleep 0.02
    done
    shown=$(now_ms)
    [[ -n $window ]] || fail "$folder: no main window within 15 s"
}

# Ctrl+X, then the ms until the program ended; fails after 2 s.
end_program() {
    local began box
    for _ in $(seq 15); do
        box=$(xdotool search --onlyvisible --name '^:: Tonvel 1\.0 ::$' 2>/dev/null | head -n1)
        [[ -n $box ]] && { sleep 0.3; xdotool windowfocus "$box" key Return 2>/dev/null; }
        sleep 0.1
    done
    sleep 1  # the status line's notice, for the screenshot
    [[ -n $shots ]] && import -window "$window" "$shots/$1.png" 2>/dev/null
    began=$(now_ms)
    xdotool windowfocus "$window" key ctrl+x 2>/dev/null
    for _ in $(seq 200); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.01
    done
    kill -0 "$program" 2>/dev/null && fail "$1: still running 2 s after Ctrl+X"
    wait "$program" 2>/dev/null
    ended=$(($(now_ms) - began))
}

# The lines of standard error in $1 that name $2, without their times.
told() { grep -F -- "$2" "$1/stderr.log" 2>/dev/null | cut -d' ' -f2-; }

install_in() {
    mkdir -p "$work/$1"
    cp "$build/tonvel" "$work/$1/"
}

# A start without tonvel.ini: the time every other start is measured against.
install_in none
start_in "$work/none"
baseline=$((shown - started))
end_program none
[[ -f $work/none/tonvel.ini && ! -L $work/none/tonvel.ini ]] || fail "no tonvel.ini written at the exit"
echo "no tonvel.ini: main window after $baseline ms, ended in $ended ms"

# A file as QSettings wrote it, with a comment and someone else's key: read, and kept.
install_in qsettings
printf '[General]\nOther=kept\n\n; chosen by hand\n[Mouse]\nPlaysKeys=1\n\n[Elsewhere]\nKey="a, b"\n' \
    >"$work/qsettings/tonvel.ini"
start_in "$work/qsettings"
end_program qsettings
printf 'a QSettings file: main window after %d ms (%+d), ended in %d ms\n' "$((shown - started))" \
    "$((shown - started - baseline))" "$ended"
for line in 'Other=kept' '; chosen by hand' 'PlaysKeys=1' '[Elsewhere]' 'Key="a, b"' '[MidiDevice]'; do
    grep -qxF -- "$line" "$work/qsettings/tonvel.ini" || fail "the QSettings file lost \"$line\""
done
[[ -z $(told "$work/qsettings" tonvel.ini) ]] || fail "a good tonvel.ini was told of"

echo precious >"$work/decoy"
decoy=$(describe "$work/decoy")
python3 -c 'import sys; sys.stdout.write("[MidiDevice]\nName=Big\n" + ";" * (100 << 20))' >"$work/big.ini"
# name, what tonvel.ini is made, what standard error says of it, and who runs the program.
cases=(
    "link|ln -s $work/decoy|a symbolic link|"
    "dangling link|ln -s $work/nowhere|a symbolic link|"
    "pipe|mkfifo|not a file|"
    "folder|mkdir|not a file|"
    "100 MB|cp $work/big.ini|larger than 1 MB|"
    "unreadable|install -m 000 $work/big.ini|not readable|user"
)
for entry in "${cases[@]}"; do
    IFS='|' read -r name make expected who <<<"$entry"
    folder=$work/${name// /-}
    install_in "${name// /-}"
    $make "$folder/tonvel.ini"
    [[ $who == user && ${#as_user[@]} -gt 0 ]] && chown -R nobody "$folder"
    before=$(describe "$folder/tonvel.ini")
    start_in "$folder" "$who"
    end_program "${name// /-}"
    lines=$(told "$folder" tonvel.ini)
    [[ $(grep -c . <<<"$lines") -eq 1 ]] || fail "$name: told $(grep -c . <<<"$lines") times: $lines"
    grep -qF -- "$expected" <<<"$lines" || fail "$name: told \"$lines\", not \"$expected\""
    notice=$(($(grep -F tonvel.ini "$folder/stderr.log" | cut -d' ' -f1) - started))
    [[ $(describe "$folder/tonvel.ini") == "$before" ]] || fail "$name: tonvel.ini changed"
    [[ $(describe "$work/decoy") == "$decoy" && ! -e $work/nowhere ]] || fail "$name: a link's target changed"
    compgen -G "$folder/tonvel.ini?*" >/dev/null && fail "$name: left $(ls "$folder")"
    to_window=$((shown - started))
    printf '%-14s told after %4d ms, main window after %4d ms (%+d), ended in %3d ms\n' \
        "$name:" "$notice" "$to_window" "$((to_window - baseline))" "$ended"
done

# A recording not saved (its folder cannot be made) at an exit where the waiting name is taken.
install_in recording
mkdir -p "$HOME" && echo "not a folder" >"$HOME/Music"
mkdir "$work/recording/unsaved recording.mid"
touch "$work/recording/unsaved recording.mid/mine"
start_in "$work/recording"
"$xkey" down 37; "$xkey" tap 27; "$xkey" up 37  # Ctrl+R
sleep 0.5
end_program recording-exit
[[ -f "$work/recording/unsaved recording.mid/mine" ]] || fail "the folder in the waiting name changed"
[[ -s "$work/recording/unsaved recording (2).mid" ]] || fail "the recording was not kept beside it"
[[ -n $(told "$work/recording" "is taken") ]] || fail "the exit did not tell where the recording went"
start_in "$work/recording"
end_program recording-next
[[ -n $(told "$work/recording" "kept under another name") ]] || fail "the next start did not tell"
echo "unsaved recording.mid a folder: $(told "$work/recording" "kept under another name" | cut -d' ' -f2-)"
echo "hostile_files: passed"
