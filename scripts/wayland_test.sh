#!/usr/bin/env bash
# The real program natively on Wayland: a headless sway compositor (as an ordinary user: sway
# will not run as root; as root this takes "nobody"), a keyboard and a mouse of our own through
# the virtual keyboard and pointer protocols (tonvel_wlinput), screenshots with grim, and the
# MIDI the program sends at a JACK receiver. It checks that the program runs natively with no X
# server; keys and pads play, NumLock on or off; a keyboard with a keymap of its own is read by
# symbol; the skin's corners show the background; the labels follow a layout and a switch
# between the layouts of one keymap; the Quick Channel Jump box belongs to the window, lies
# over it and takes the keys; stay-on-top is not shown as on; a drag moves the window.
# Stops only what it started. TONVEL_KEEP_SHOTS=dir keeps the screenshots there.
#   bash scripts/wayland_test.sh [BUILD_DIR]
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/jack.sh"
source "$here/lib/work.sh"
work_begin wayland
keep_shots() {
    [[ -n ${TONVEL_KEEP_SHOTS:-} ]] && mkdir -p "$TONVEL_KEEP_SHOTS" &&
        cp "$work"/*.png "$TONVEL_KEEP_SHOTS"/ 2>/dev/null
    work_end
}
trap keep_shots EXIT

failed=0
fail() {
    echo "FAIL wayland: $*"
    failed=1
}
ok() { echo "ok wayland: $*"; }
check() { if [[ $2 == "$3" ]]; then ok "$1"; else fail "$1: got [$2], expected [$3]"; fi; }
give_up() {
    echo "wayland: $*"
    [[ -f $work/sway.log ]] && tail -n 5 "$work/sway.log"
    [[ -f $work/tonvel.log ]] && tail -n 5 "$work/tonvel.log"
    exit 1
}

for tool in sway grim swaymsg convert; do
    command -v "$tool" >/dev/null || give_up "$tool is missing (bash scripts/setup.sh --tests)"
done
wlinput=$build/tests/tonvel_wlinput
[[ -x $wlinput ]] || give_up "$wlinput was not built (libwayland-dev)"

work_private_dirs
export JACK_DEFAULT_SERVER=tonvel-wayland-$$ JACK_NO_START_SERVER=1 JACK_NO_AUDIO_RESERVATION=1
unset DISPLAY WAYLAND_DISPLAY  # no X server at all, and only our compositor

# The compositor, as an ordinary user with a runtime folder of its own.
width=1280 height=800 background='#336699'
as_user=()
sway_dir=$work/sway
mkdir -m 700 "$sway_dir"
if [[ $(id -u) -eq 0 ]]; then
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --reset-env)
    chown nobody "$sway_dir"
    chmod 711 "$work"
fi
cat >"$work/sway.conf" <<EOF
output HEADLESS-1 resolution ${width}x${height} position 0 0 bg $background solid_color
default_border none
xwayland disable
EOF
chmod 644 "$work/sway.conf"
"${as_user[@]}" env XDG_RUNTIME_DIR="$sway_dir" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
pids+=("$sway_pid")
for _ in $(seq 100); do
    socket=$(find "$sway_dir" -maxdepth 1 -name 'wayland-*' ! -name '*.lock' 2>/dev/null | head -n1)
    SWAYSOCK=$(find "$sway_dir" -maxdepth 1 -name 'sway-ipc.*' 2>/dev/null | head -n1)
    [[ -n $socket && -n $SWAYSOCK ]] && break
    sleep 0.1
done
[[ -n $socket && -n $SWAYSOCK ]] || give_up "sway did not start"
export WAYLAND_DISPLAY=$socket SWAYSOCK
# The wallpaper client sway started, which it leaves behind when it ends.
for _ in $(seq 30); do
    bg_pid=$(pgrep -P "$sway_pid" swaybg) && { pids+=("$bg_pid"); break; }
    sleep 0.1
done

jack_start "$JACK_DEFAULT_SERVER" "$work/jackd.log" 256 || give_up "JACK did not start"
pids+=("$jack_pid")
"$build/tests/tonvel_jack_receiver" receiver >"$work/received.log" 2>"$work/receiver.log" &
pids+=($!)
for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q receiver:input && break; sleep 0.1; done

# Our keyboard and mouse, fed one command a line.
mkfifo "$work/input"
"$wlinput" "$width" "$height" <"$work/input" >"$work/wlinput.log" 2>&1 &
pids+=($!)
exec 3>"$work/input"
sent=0
wl() {
    echo "$*" >&3
    sent=$((sent + 1))
}
# Waits until the compositor has every command sent so far.
wl_sync() {
    for _ in $(seq 200); do
        [[ $(wc -l <"$work/wlinput.log") -ge $sent ]] && return 0
        sleep 0.05
    done
    give_up "the input tool stopped: $(tail -n 2 "$work/wlinput.log")"
}
settle() {
    wl_sync
    sleep "$1"
}
click() { wl move "$1" "$2"; wl sleep 50; wl press; wl sleep 120; wl release; }
keys() { for code in "$@"; do wl tap "$code" 60; done; }

# The window: x y width height, by its title.
rect_of() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("name") == sys.argv[1]:
        r = node["rect"]
        print(r["x"], r["y"], r["width"], r["height"], node.get("shell", ""), node.get("type", ""))
        sys.exit(0)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))' "$1"
}
# Waits for the window titled $1 and sets X Y W H shell kind from it.
wait_for_window() {
    local found
    for _ in $(seq 50); do
        found=$(rect_of "$1")
        [[ -n $found ]] && { read -r X Y W H shell kind <<<"$found"; return 0; }
        sleep 0.2
    done
    return 1
}

mkdir -p "$work/prog"
cp "$build/tonvel" "$work/prog/"
touch "$work/prog/firstrun.kvx"  # no welcome question
QT_QPA_PLATFORM=wayland "$work/prog/tonvel" >"$work/tonvel.log" 2>&1 &
program=$!
pids+=("$program")
wait_for_window Tonvel || give_up "the window did not appear"
check "the window is a native Wayland one" "$shell" "xdg_shell"
sleep 1
# A click on the bare skin (the status line) gives the focus and leaves the window in place,
# also once the pointer has gone.
x0=$X y0=$Y
click $((X + 260)) $((Y + 57))
wl move 5 5
wl move 10 10
settle 0.5
wait_for_window Tonvel
check "a click on the skin does not move the window" "$X,$Y" "$x0,$y0"

# The receiver from the settings menu: Midi Device, the first port after the synthesizer.
ALT=64 DOWN=116 RIGHT=114 RETURN=36
wl down $ALT; wl tap 39; wl up $ALT  # Alt+S
settle 0.5
keys $DOWN $DOWN $RIGHT
settle 0.3
keys $DOWN $RETURN
settle 0.5
jack_lsp -c 2>/dev/null | grep -A1 '^Tonvel.*:Output' | grep -q receiver:input ||
    give_up "the program's output did not reach the receiver"

mark() { marked=$(wc -l <"$work/received.log"); }
since_mark() { received_endings_once "$work/received.log" $((marked + 1)) | cut -d' ' -f3-; }
# What arrived since the mark, one line: once it is $1, or what there is after 3 s.
received() {
    local got
    wl_sync
    for _ in $(seq 30); do
        got=$(since_mark | tr '\n' ' ' | sed 's/ $//')
        [[ $got == "$1" ]] && break
        sleep 0.1
    done
    sleep 0.2  # and nothing more
    since_mark | tr '\n' ' ' | sed 's/ $//'
}

mark
wl down 52; wl sleep 1500; wl up 52  # Z held
expect() { check "$1" "$(received "$2")" "$2"; }
expect "Z held 1.5 s sounds once and ends once" "90 36 7f 80 36 00"
NUMLOCK=77 PAD2=88
for numlock in off on; do
    mark
    wl tap $PAD2 100
    expect "keypad 2 plays its pad with NumLock $numlock" "99 24 7f 89 24 00"
    wl tap $NUMLOCK
done
mark
wl keyboard own  # its codes 9 and 11 type z and m
wl tap 9 100
wl tap 11 100
wl keyboard us
expect "a keyboard with its own keymap is read by symbol" "90 36 7f 80 36 00 90 41 7f 80 41 00"

# The corners show the background through the skin's transparent key colour.
wl move 5 5
settle 0.5
grim "$work/desktop.png"
pixel() { convert "$work/desktop.png" -format "%[hex:p{$1,$2}]" info: | cut -c1-6 | tr 'A-F' 'a-f'; }
corners=""
for at in "$X $Y" "$((X + W - 1)) $Y" "$X $((Y + H - 1))" "$((X + W - 1)) $((Y + H - 1))"; do
    corners+="$(pixel $at) "
done
check "the skin's corners show the background" "$corners" "336699 336699 336699 336699 "
[[ $(pixel $((X + W / 2)) $((Y + H / 2))) != 336699 ]] && ok "the skin itself is drawn" ||
    fail "the middle of the window shows the background"

# The labels follow the layout, and a switch between the layouts of one keymap.
same() { [[ $(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) == 0 ]]; }
# Screenshots part $2 (x,y wxh of the window) as $1 until it is the same as $3 (or, with $3
# "!name", unlike it), for up to 3 s. Fails when it never is.
shot_until() {
    local part=$2 want=${3#!}
    local x=${part%%,*} rest=${part#*,}
    local y=${rest%% *} size=${rest#* }
    wl_sync
    for _ in $(seq 15); do
        grim -g "$((X + x)),$((Y + y)) $size" "$work/$1.png"
        if [[ $3 == !* ]]; then ! same "$1" "$want" && return 0; else same "$1" "$want" && return 0; fi
        sleep 0.2
    done
    return 1
}
KEYS="95,137 335x73"
sleep 0.5
grim -g "$((X + 95)),$((Y + 137)) 335x73" "$work/keys-us.png"
swaymsg 'input type:keyboard xkb_layout fr' >/dev/null
shot_until keys-fr "$KEYS" '!keys-us' && ok "the labels follow xkb_layout fr" ||
    fail "the labels stayed the same under a French layout"
mark
wl tap 52 100  # W on a French keyboard: still the lowest key, by its place
expect "under fr the keys still play by place" "90 36 7f 80 36 00"
swaymsg 'input type:keyboard xkb_layout "us,fr"' >/dev/null
! same keys-fr keys-us && shot_until keys-us-fr-0 "$KEYS" keys-us &&
    swaymsg 'input type:keyboard xkb_switch_layout 1' >/dev/null &&
    shot_until keys-us-fr-1 "$KEYS" keys-fr &&
    swaymsg 'input type:keyboard xkb_switch_layout 0' >/dev/null &&
    shot_until keys-us-fr-back "$KEYS" keys-us &&
    ok "the labels follow a group switch in us,fr" ||
    fail "the labels did not follow the group switch in us,fr"
swaymsg 'input type:keyboard xkb_layout us' >/dev/null

# The Quick Channel Jump box is the window's: the compositor floats it as a child and places it
# over the window (sway at the middle of the screen, where the window opened; GNOME and Plasma
# centre it on the window), and it takes the keys.
click $((X + 113)) $((Y + 84))
wl_sync
if wait_for_window "..:: Quick Channel Jump ::.."; then
    bx=$X by=$Y bw=$W bh=$H bkind=$kind
    wait_for_window Tonvel
    check "the box floats as a child window" "$bkind" "floating_con"
    ((bx >= X && by >= Y && bx + bw <= X + W && by + bh <= Y + H)) &&
        ok "the box lies over the window ($bx,$by ${bw}x$bh in $X,$Y ${W}x$H)" ||
        fail "the box lies at $bx,$by ${bw}x$bh, the window at $X,$Y ${W}x$H"
    mark
    BACKSPACE=22
    keys $BACKSPACE $BACKSPACE $BACKSPACE 11 10 $RETURN  # 2, 1: instrument 21
    # The window's return to the front sends the instrument again.
    wl_sync
    sleep 1
    check "the box takes the keys" "$(since_mark | grep -o '^c0 ..' | sort -u)" "c0 14"
else
    grim "$work/desktop-no-box.png"
    fail "the Quick Channel Jump box did not open"
fi

# Stay on top: the desktop's to give on Wayland, so the button does not light, and the status
# line says why (it changes; the button is looked at once it has).
wl move 5 5
settle 0.5
BUTTON="388,25 22x20" STATUS="120,49 280x16"
grim -g "$((X + 388)),$((Y + 25)) 22x20" "$work/button-before.png"
grim -g "$((X + 120)),$((Y + 49)) 280x16" "$work/status-before.png"
CTRL=37
wl down $CTRL; wl tap 28; wl up $CTRL  # Ctrl+T
if shot_until status-after "$STATUS" '!status-before'; then
    shot_until button-after "$BUTTON" button-before &&
        ok "Ctrl+T does not light the stay-on-top button, and the status line answers" ||
        fail "Ctrl+T lit the stay-on-top button"
else
    fail "Ctrl+T left the status line as it was"
fi

# A drag on the skin's left strip moves the window with the pointer, as a person drags: the
# compositor takes the move over at the pointer's first move, a pixel from the press.
x0=$X y0=$Y
wl move $((X + 40)) $((Y + 180))
wl sleep 100
wl press
wl sleep 150
wl move $((X + 41)) $((Y + 181))
settle 0.5
for step in 1 2 3 4; do wl move $((X + 40 + 20 * step)) $((Y + 180 + 15 * step)); wl sleep 40; done
wl sleep 150
wl release
settle 0.5
wait_for_window Tonvel
check "a drag of 80,60 moves the window 80,60 less the first pixel" "$((X - x0)),$((Y - y0))" "79,59"

grim "$work/desktop-end.png"
exec 3>&-
warnings=$(grep -i -E "^qt\.|QWidget|QWindow|wayland" "$work/tonvel.log" | head -n 5)
check "no toolkit warning" "$warnings" ""
kill -0 "$program" 2>/dev/null || fail "the program ended on its own"
exit $failed
