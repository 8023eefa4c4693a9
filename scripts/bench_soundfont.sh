#!/usr/bin/env bash
# Changes the built-in synthesizer's SoundFont to FluidR3 (141 MB) from the settings menu, as a
# player does, in the real program under Xvfb with a JACK dummy server:
# 1. while "16 Beat" plays to a lossless JACK receiver: the rhythm's steps there (across the
#    dialog and the load, then from the dialog's close: the load and the change), and the
#    window's thread, sampled every 2 ms: its longest stretch away from its event loop's poll
#    (a stretch in which it could not paint);
# 2. with the built-in synthesizer as the output, a key pressed as the dialog closes and held
#    until the new SoundFont sounds: the synthesizer's sound at JACK, while held and after.
#   scripts/bench_soundfont.sh [BUILD_DIR] [SOUNDFONT]   (COMPARE=1: the dialog cancelled)
set -uo pipefail
build=$(cd "${1:-build-ci}" && pwd)
soundfont=${2:-/usr/share/sounds/sf2/FluidR3_GM.sf2}
first=/usr/share/sounds/sf2/TimGM6mb.sf2
source "$(dirname "$0")/lib/session.sh"
[[ -f $soundfont && -f $first ]] || { echo "needs $soundfont and $first"; exit 1; }

# The program starts with the small SoundFont, for the run.
session_program_start() {
    "$work/tonvel" --soundfont "$first" >>"$work/tonvel.log" 2>&1 &
    program=$!
    focus_program_window || { echo "session: the window did not appear" >&2; return 1; }
}
session_start "$build" 64 || exit 1

# The longest time between two samples that found the thread in poll or ppoll, in ms.
window_thread_gaps() {
    python3 - "$program" "$1" <<'PY'
import sys, time
pid, seconds = sys.argv[1], float(sys.argv[2])
path = f"/proc/{pid}/task/{pid}/syscall"
last = None; longest = 0.0; end = time.monotonic() + seconds
seen = []; worst = []
while time.monotonic() < end:
    try:
        first = open(path).read().split()[0]
    except OSError:
        break
    now = time.monotonic()
    if first in ("7", "271"):
        if last is not None and now - last > longest:
            longest, worst = now - last, seen
        last, seen = now, []
    else:
        seen.append(first)
    time.sleep(0.002)
# What the thread was found doing in the longest stretch: system call numbers, or running.
found = {name: worst.count(name) for name in sorted(set(worst))}
print(f"{longest * 1000:.1f} ({' '.join(f'{k}:{v}' for k, v in found.items())})")
PY
}

choose_soundfont() {
    xdotool key alt+s; sleep 0.5
    xdotool key f
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name '^Sound Font$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 0.5
    xdotool type --delay 10 "$soundfont"
    # With COMPARE set the dialog is cancelled instead: everything but the load.
    if [[ -n ${COMPARE:-} ]]; then xdotool key Escape; else xdotool key Return; fi
    date +%s%6N >>"$work/chosen"
}

# A copy in a folder of its own keeps its settings there.
kept() { grep -a '^SoundFont' "$work/tonvel.ini" 2>/dev/null; }

from=$(received_lines)
"$xkey" tap 71 30  # F5: the rhythm plays
sleep 1
echo "window thread while the rhythm plays, no load: $(window_thread_gaps 4) ms"
choose_soundfont
# From the dialog's close: the load and the change.
window_thread_gaps 6 >"$work/gaps" &
sampler=$!
sleep 1
xdotool windowfocus "$window" 2>/dev/null
wait "$sampler"
sleep 1
"$xkey" tap 75 30  # F9: stop
sleep 0.3
echo "rhythm at JACK, dialog and load: $(tail -n +$((from + 1)) "$received" |
    "$build/tests/tonvel_step_timing" 115 48000 "99 2c" 1 system)"
# The receiver stamps lines in microseconds of the monotonic clock.
since_chosen() {
    python3 -c '
import sys, time
chosen = int(open(sys.argv[1]).read().split()[0]) / 1e6 - (time.time() - time.monotonic())
for line in sys.stdin:
    if int(line.split()[1]) / 1e6 >= chosen: sys.stdout.write(line)' "$work/chosen"
}
echo "rhythm at JACK from the dialog's close: $(tail -n +$((from + 1)) "$received" | since_chosen |
    "$build/tests/tonvel_step_timing" 115 48000 "99 2c" 1 system)"
echo "window thread from the dialog's close, longest away from its event loop: $(cat "$work/gaps") ms"
echo "kept: $(kept)"

# Back to the built-in synthesizer (the first device), recorded at JACK.
xdotool key alt+s; sleep 0.5
xdotool key Down Down Right; sleep 0.3
xdotool key Return; sleep 1
xdotool windowfocus "$window" 2>/dev/null; sleep 0.5
# The audio outputs of any client but the server's own and the receiver.
ports=$(jack_lsp -p -t 2>/dev/null | awk '
    /^[^ \t]/ { name = $0; output = 0; next }
    /properties:.*output/ { output = 1; next }
    /audio/ && output && name !~ /^(system|receiver):/ { print name }' | head -n2 | tr '\n' ' ')
[[ -n $ports ]] || { echo "no audio ports of the program at JACK"; exit 1; }
# shellcheck disable=SC2086
jack_rec -f "$work/held.wav" -d 12 $ports >/dev/null 2>&1 &
recorder=$!
sleep 1
choose_soundfont
xdotool windowfocus --sync "$window" 2>/dev/null
"$xkey" down 24  # Q, held across the change
sleep 4
"$xkey" up 24
wait "$recorder"
# 1 s of recording, then the key held (from ~2.5 s), released at ~6.5 s; silent from ~9 s.
level() { sox "$work/held.wav" -n trim "$1" "$2" stat 2>&1 | awk '/Maximum amplitude/ {print $3}'; }
echo "sound while held: peak $(level 3 3); after the release and its ring-out: peak $(level 9 2.5)"
