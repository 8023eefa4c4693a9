# Busy loops beside the program, to measure it on a machine with every core taken; sourced by
# the measuring scripts.
#   busy_start [N]   starts N loops (default 2, one per core of these machines)
#   busy_stop        ends them

busy_pids=()

busy_start() {
    local n=${1:-2}
    for ((i = 0; i < n; i++)); do
        (while :; do :; done) &
        busy_pids+=($!)
    done
}

busy_stop() {
    [[ ${#busy_pids[@]} -gt 0 ]] && kill "${busy_pids[@]}" 2>/dev/null
    busy_pids=()
}
