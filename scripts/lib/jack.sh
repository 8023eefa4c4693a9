# Starting and stopping a private dummy JACK server for tests; sourced by the test scripts.

# JACK keeps a registry of servers in shared memory, with room for a few. A server that
# was killed leaves its entry behind; with no JACK server running at all, every entry
# is stale and can go.
jack_clear_stale_state() {
    pgrep -x jackd >/dev/null 2>&1 && return 0
    rm -rf /dev/shm/jack-shm-registry /dev/shm/jack-[0-9]* /dev/shm/jack_* \
        2>/dev/null
    return 0
}

# Starts a dummy server named $1, logging to $2, with periods of $3 frames (256 by default);
# sets jack_pid, and jack_realtime to 1 when it runs at real-time priority. Fails if it does
# not come up. The server and its clients run at real-time priority where the system allows
# it (and JACK_REALTIME is not "no"): on a busy machine a server without it misses cycles, and
# the MIDI of a missed cycle is lost before any client sees it.
jack_start() {
    jack_clear_stale_state
    jack_launch "$@"
}

# As jack_start, without clearing anything: for a server started again under clients that
# keep running. A JACK client maps the shared registry once for good, and one made anew under
# it no longer leads it to any server.
jack_launch() {
    local priority=--no-realtime
    jack_realtime=0
    [[ ${JACK_REALTIME:-yes} != no ]] && chrt -f 10 true 2>/dev/null &&
        priority="--realtime -P 70" jack_realtime=1
    # shellcheck disable=SC2086
    JACK_NO_AUDIO_RESERVATION=1 jackd --name "$1" $priority -d dummy -r 48000 -p "${3:-256}" \
        >"$2" 2>&1 &
    jack_pid=$!
    jack_wait --server "$1" --wait --timeout 10 >/dev/null 2>&1
}

# Stops a process and waits for it, so that a server can take its registry entry with it.
stop_and_wait() {
    local pid=$1
    kill "$pid" 2>/dev/null || return 0
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
}

# The lines a JACK receiver logged ("<frame> <microseconds> <bytes...>"), from line $2 on, with
# each ending (a note-off, a release of CC 64, 66 or 69) left out that repeats one of the last
# half second with nothing begun between: after a late cycle the program sends its last endings
# again, which changes nothing at the other end.
received_endings_once() {
    awk -v from="$2" '{
        for (i = 3; i <= NF; ++i) $i = tolower($i)
        kind = substr($3, 1, 1); channel = substr($3, 2, 1)
        key = ""; ending = 0
        if (kind == "8" || kind == "9") { key = channel " " $4; ending = kind == "8" || $5 == "00" }
        else if (kind == "b" && ($4 == "40" || $4 == "42" || $4 == "45")) { key = channel " c" $4; ending = $5 == "00" }
        if (key != "") {
            if (!ending) delete ended[key]
            else if ((key in ended) && $2 - ended[key] <= 500000) next
            else ended[key] = $2
        }
        if (NR >= from) print }' "$1"
}
