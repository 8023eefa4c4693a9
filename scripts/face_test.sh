#!/usr/bin/env bash
# End to end: what the main window's face shows, proved on screenshots of the real program
# under Xvfb. The key labels follow the keyboard layout live, long names fit their panel
# inside its margins, the tempo caption keeps clear of the rhythm panel, and the transport
# buttons show their symbols. Stops only what it started. TONVEL_KEEP_SHOTS=dir keeps the
# screenshots there.
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"  # stop_and_wait
source "$here/lib/x11.sh"
work=$(mktemp -d /tmp/tonvel-face-XXXXXX)
pids=()
cleanup() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    [[ -n ${TONVEL_KEEP_SHOTS:-} ]] && mkdir -p "$TONVEL_KEEP_SHOTS" && cp "$work"/*.png "$TONVEL_KEEP_SHOTS"/
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "face: $*"
    exit 1
}

export HOME=$work TMPDIR=$work XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
export JACK_DEFAULT_SERVER=tonvel-face-$$ JACK_NO_START_SERVER=1

command -v setxkbmap >/dev/null || fail "setxkbmap is missing (package x11-xkb-utils)"
xvfb_start 190
started=$?
pids+=("$xvfb_pid")
[[ $started -eq 0 ]] || fail "Xvfb did not start"

cp "$build/tonvel" "$work/"
start_program() {
    "$work/tonvel" >>"$work/tonvel.log" 2>&1 &
    program=$!
    pids+=("$program")
    focus_program_window || fail "the window did not appear"
    sleep 1.5
}
shot() {
    sleep 0.5
    import -window "$window" "$work/$1.png" 2>/dev/null || fail "no screenshot $1"
}

# A region of a screenshot: x y width height, in the window's pixels.
crop() { convert "$work/$1.png" -crop "$4x$5+$2+$3" +repage "${@:6}"; }
# How many pixels of the region are red lettering on a light face.
red_pixels() {
    crop "$@" -fx '(r-g>0.25 && r-b>0.25)' -format '%[fx:round(mean*w*h)]' info:
}
# How many pixels of the region are lighter than the dark body.
lit_pixels() {
    crop "$@" -colorspace gray -fx 'u>0.24' -format '%[fx:round(mean*w*h)]' info:
}
# The dark lettering of a key label, cut to its own box, as a black and white picture.
label_glyph() {
    crop "$1" "$2" "$3" "$4" "$5" -colorspace gray -threshold 50% -trim +repage "$work/$6.png"
}
same_picture() {
    [[ $(identify -format '%wx%h' "$work/$1.png") == $(identify -format '%wx%h' "$work/$2.png") ]] &&
        [[ $(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) == 0 ]]
}
# Writes the covered pixels of a region (red lettering) as rows of 0 and 1.
red_mask() {
    crop "$@" -fx '(r-g>0.25 && r-b>0.25)' -threshold 50% -depth 8 -colorspace gray txt:- |
        awk -F'[,: ]+' 'NR > 1 { v[$2, $1] = ($0 ~ /gray\(255\)|#FFFFFF/) ? 1 : 0;
                                 if ($1 > w) w = $1; if ($2 > h) h = $2 }
             END { for (y = 0; y <= h; y++) { line = ""; for (x = 0; x <= w; x++) line = line v[y, x];
                                               print line } }'
}

start_program

# Key labels, by place (window pixels): Z's label, and the W and Y keys' labels of the
# same row.
z_label="97 188 11 13"
w_label="272 188 11 13"
y_label="338 188 9 13"
shot us
label_glyph us $z_label us-z
label_glyph us $w_label us-w
label_glyph us $y_label us-y

setxkbmap fr || fail "setxkbmap fr failed"
shot fr
label_glyph fr $z_label fr-z
same_picture fr-z us-w || fail "on a French layout the Z key's label does not read W"
setxkbmap de || fail "setxkbmap de failed"
shot de
label_glyph de $z_label de-z
same_picture de-z us-y || fail "on a German layout the Z key's label does not read Y"
setxkbmap us
shot us-again
crop us 95 137 335 73 "$work/keys-before.png"
crop us-again 95 137 335 73 "$work/keys-after.png"
same_picture keys-before keys-after || fail "back on US the key labels differ from the start"
kill -0 "$program" 2>/dev/null || fail "the program did not survive the layout changes"

# The transport: Ending points down (its rows narrow), Fill is two triangles and a bar.
ending=$(red_mask us 434 106 34 18 | awk '{ n = gsub(/1/, "1"); if (n) print n }')
awk 'NR > 1 && $1 > prev { bad = 1 } { prev = $1; if (NR == 1) first = $1 }
     END { exit !(NR >= 5 && !bad && first > 3 * prev) }' <<<"$ending" ||
    fail "the Ending button shows no down-pointing triangle: $(tr '\n' ' ' <<<"$ending")"
fill_columns=$(red_mask us 458 84 22 18 |
    awk '{ for (i = 1; i <= length($0); i++) c[i] += substr($0, i, 1); if (length($0) > w) w = length($0) }
         END { for (i = 1; i <= w; i++) printf "%d ", c[i] }')
restarts=$(awk '{ s = 0; started = 0; for (i = 1; i <= NF; i++) {
                  if (started && $i - $(i - 1) > 2) s++; if ($i > 0) started = 1 } print s }' \
    <<<"$fill_columns")
[[ $restarts -eq 2 ]] || fail "the Fill button shows no skip-forward symbol: columns $fill_columns"

# Three pixels of bare body between the tempo caption and the rhythm panel.
[[ $(lit_pixels us 357 72 3 14) -eq 0 ]] || fail "TEMPO touches the rhythm panel"
[[ $(lit_pixels us 323 72 34 12) -gt 20 ]] || fail "no TEMPO caption"

# The longest built-in names, and one edited into ins.ins, inside the instrument panel.
check_name() {
    xdotool windowfocus "$window" 2>/dev/null
    xdotool key alt+n
    sleep 0.7
    xdotool key ctrl+a
    xdotool type "$1"
    xdotool key Return
    sleep 0.5
    xdotool windowfocus "$window" 2>/dev/null
    shot "channel-$1-$2"
    local inside edges
    inside=$(red_pixels "channel-$1-$2" 133 76 142 16)
    edges=$(($(red_pixels "channel-$1-$2" 131 76 2 16) + $(red_pixels "channel-$1-$2" 275 76 2 16)))
    [[ $inside -gt 100 ]] || fail "channel $1 ($2): no name in the instrument panel"
    [[ $edges -eq 0 ]] || fail "channel $1 ($2): the name runs into the panel's edges"
}
check_name 49 built-in
check_name 50 built-in
cp "$work/ins.ins" "$work/edited.ins"
xdotool key ctrl+x
for _ in $(seq 50); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
sed 's/^49\tAcoustic String Ensemble 1/49\tAcoustic String Ensemble 1 Played In A Very Large Hall/' \
    "$work/edited.ins" >"$work/ins.ins"
grep -q "Very Large Hall" "$work/ins.ins" || fail "could not edit ins.ins"
start_program
check_name 49 edited
echo "face: passed"
