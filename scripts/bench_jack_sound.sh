#!/usr/bin/env bash
# Key to sound at the physical limit on JACK: the real program under Xvfb plays its built-in
# synthesizer into a dummy JACK server with 64-frame periods (1.33 ms), and a client of that
# server stamps each XTest press of Z and the first frame of the synthesizer's output over a
# threshold, both on the server's clock (tests/tools/jack_key_to_sound.cpp). Quiet, then beside
# two busy loops.
#   bash scripts/bench_jack_sound.sh [BUILD_DIR] [PRESSES]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
presses=${2:-40}
source "$here/lib/session.sh"

SESSION_OUTPUT=synth session_start "$build" 64 || exit 1
for _ in $(seq 50); do jack_lsp 2>/dev/null | grep -q '^fluidsynth:' && break; sleep 0.1; done
sleep 1
measure() { "$build/tests/tonvel_jack_key_to_sound" fluidsynth 52 "$presses" 0.003 | tail -n1; }
echo "key to sound at JACK, quiet:          $(measure)"
busy_start 2
echo "key to sound at JACK, two busy loops: $(measure)"
busy_stop
echo "goal: median <= 2 ms, p90 <= 3 ms (one period is 1.33 ms)"
