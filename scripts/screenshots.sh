#!/usr/bin/env bash
# Makes the users manual's pictures of the real program under Xvfb, at normal and at
# double density: resources/help/images/NAME.png and NAME@2x.png. Run it after changing
# the window and check the pictures in (the test script fails while they differ from what a
# fresh run makes). Stops only what it started.
#   bash scripts/screenshots.sh [BUILD_DIR] [FOLDER]   (FOLDER: where the pictures go instead)
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
images=${2:-$(cd "$here/../resources/help" && pwd)/images}
work=$(mktemp -d /tmp/tonvel-shots-XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null
        wait "${pids[i]}" 2>/dev/null
    done
    pids=()
}
trap 'cleanup; rm -rf "$work"' EXIT
fail() {
    echo "screenshots: $*" >&2
    exit 1
}

export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home TMPDIR=$work
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=tonvel-shots-$$
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir "$HOME"
mkdir -p "$images"

# Everything outside the window (the black root of Xvfb -br) becomes transparent; black
# inside the window, such as the key labels, is not reached from the edge and stays.
cut_out() {
    convert "$1" -bordercolor black -border 1 -fill none -fuzz 0 \
        -draw 'color 0,0 floodfill' -shave 1x1 -define png:exclude-chunk=date,time "$2"
}

# The smallest box around every window on the screen but the root, as WxH+X+Y.
screen_box() {
    local left=100000 top=100000 right=0 bottom=0 id x y w h root
    root=$(xdotool search --maxdepth 0 --name '' 2>/dev/null | head -n1)
    for id in $(xdotool search --onlyvisible --maxdepth 1 --name '' 2>/dev/null); do
        [[ $id == "$root" ]] && continue
        eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
        x=$X y=$Y w=$WIDTH h=$HEIGHT
        ((w < 8 || h < 8)) && continue
        ((x < left)) && left=$x
        ((y < top)) && top=$y
        ((x + w > right)) && right=$((x + w))
        ((y + h > bottom)) && bottom=$((y + h))
    done
    echo "$((right - left))x$((bottom - top))+$left+$top"
}

shoot() {
    local scale=$1 suffix=$2 display folder window
    display=:$((150 + RANDOM % 100))
    Xvfb "$display" -br -screen 0 $((1024 * scale))x$((768 * scale))x24 -nolisten tcp \
        >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
    # Keep the pointer off the window, where it would light a control.
    xdotool mousemove 0 0

    # A folder of its own, without help pages: no first-run question.
    folder=$work/run$scale
    mkdir "$folder"
    cp "$build/tonvel" "$folder/"
    QT_SCALE_FACTOR=$scale "$folder/tonvel" >"$work/tonvel$scale.log" 2>&1 &
    pids+=($!)
    window=""
    for _ in $(seq 150); do
        window=$(xdotool search --onlyvisible --name '^Tonvel$' 2>/dev/null | head -n1)
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || fail "no window at scale $scale: $(cat "$work/tonvel$scale.log")"
    xdotool windowfocus --sync "$window" 2>/dev/null
    sleep 2  # the status line clears itself

    import -window root -crop "$(screen_box)" +repage "$work/raw.png" || fail "import"
    cut_out "$work/raw.png" "$images/window$suffix.png"

    # The settings menu with its MIDI device list.
    xdotool key alt+s
    sleep 0.5
    xdotool key Down Down Right
    sleep 0.8
    import -window root -crop "$(screen_box)" +repage "$work/raw.png" || fail "import"
    cut_out "$work/raw.png" "$images/menus$suffix.png"
    xdotool key Escape Escape
    sleep 0.3

    # A song under Wait for Me: its bass sounds (orange), its melody waits for E 4 (green).
    xdotool key ctrl+o
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Open Song$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 0.5
    # The dialog opens in the recordings folder, where the song is.
    xdotool type --delay 30 "Evening Song.mid"
    xdotool key Return
    sleep 0.8
    xdotool windowfocus --sync "$window" 2>/dev/null
    xdotool key alt+m
    sleep 0.5
    xdotool key w
    sleep 0.5
    xdotool key ctrl+p
    sleep 1.5
    import -window root -crop "$(screen_box)" +repage "$work/raw.png" || fail "import"
    cut_out "$work/raw.png" "$images/song$suffix.png"
    # The main menu with the song's items.
    xdotool key alt+m
    sleep 0.8
    import -window root -crop "$(screen_box)" +repage "$work/raw.png" || fail "import"
    cut_out "$work/raw.png" "$images/songmenu$suffix.png"
    xdotool key Escape
    cleanup
}

mkdir -p "$HOME/Music/Tonvel"
csvmidi >"$HOME/Music/Tonvel/Evening Song.mid" <<'CSV' || fail "csvmidi"
0, 0, Header, 0, 1, 480
1, 0, Start_track
1, 0, Tempo, 500000
1, 0, Note_on_c, 1, 57, 80
1, 480, Note_on_c, 0, 64, 90
1, 960, Note_off_c, 0, 64, 0
1, 960, Note_on_c, 0, 62, 90
1, 1440, Note_off_c, 0, 62, 0
1, 1440, Note_off_c, 1, 57, 0
1, 1440, End_track
0, 0, End_of_file
CSV

shoot 1 ""
shoot 2 "@2x"
identify "$images"/*.png
