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

# Starts a dummy server named $1, logging to $2; sets jack_pid. Fails if it does not come up.
jack_start() {
    jack_clear_stale_state
    JACK_NO_AUDIO_RESERVATION=1 jackd --name "$1" --no-realtime -d dummy -r 48000 -p 256 >"$2" 2>&1 &
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
