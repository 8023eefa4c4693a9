# A private PipeWire session as a desktop runs it (pipewire, wireplumber, pipewire-pulse) with a
# null sink that is the default for its clients; sourced by the test and measuring scripts.
# Everything it keeps lives under a folder of the caller's, with a D-Bus session bus of its
# own, so a server someone else runs is neither used nor disturbed.
#   pipewire_start DIR   sets pipewire_pids (the bus and the three daemons, in start order)
#                        and exports what PulseAudio and PipeWire clients need; pipewire_stop
#                        ends them, the last started first; pipewire_stop_daemons and
#                        pipewire_start_daemons DIR restart the daemons on the same bus
# The null sink is called test_null, as the PulseAudio one of pulse.sh, so that the same
# recordings and measures run against either server.

pipewire_pids=()

pipewire_stop() {
    local i
    for ((i = ${#pipewire_pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pipewire_pids[i]}"; done
    pipewire_pids=()
}

# Waits up to $1 tenths of a second for the command after it to succeed.
pipewire_retry() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

pipewire_start() {
    local dir=$1 runtime
    mkdir -p "$dir/pipewire" && chmod 700 "$dir/pipewire"
    runtime=$dir/pipewire/runtime
    mkdir -p -m 700 "$runtime" "$dir/pipewire/config" "$dir/pipewire/state"
    export XDG_RUNTIME_DIR=$runtime PIPEWIRE_RUNTIME_DIR=$runtime
    export XDG_CONFIG_HOME=$dir/pipewire/config XDG_STATE_HOME=$dir/pipewire/state
    export PULSE_SERVER=unix:$runtime/pulse/native PULSE_RUNTIME_PATH=$runtime/pulse
    printf 'autospawn = no\n' >"$dir/pipewire/client.conf"
    export PULSE_CLIENTCONFIG=$dir/pipewire/client.conf
    unset PIPEWIRE_REMOTE PIPEWIRE_LATENCY PIPEWIRE_QUANTUM

    # wireplumber asks the session bus for names and, without one, sets no default sink.
    local bus
    bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1 \
        --address="unix:path=$runtime/bus" 2>"$dir/pipewire/dbus.log") || return 1
    pipewire_pids+=("$(sed -n 2p <<<"$bus")")
    export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$bus")

    pipewire_start_daemons "$dir"
}

# Ends the three daemons, the last started first, as a crash or a restart of the session would;
# the bus stays.
pipewire_stop_daemons() {
    local i
    for ((i = ${#pipewire_pids[@]} - 1; i >= 1; i--)); do stop_and_wait "${pipewire_pids[i]}"; done
    pipewire_pids=("${pipewire_pids[0]}")
}

# Starts the daemons (again) on the bus pipewire_start made, with the null sink.
pipewire_start_daemons() {
    local dir=$1 runtime=$XDG_RUNTIME_DIR
    pipewire >>"$dir/pipewire/pipewire.log" 2>&1 &
    pipewire_pids+=($!)
    pipewire_retry 50 test -S "$runtime/pipewire-0" || return 1
    wireplumber >>"$dir/pipewire/wireplumber.log" 2>&1 &
    pipewire_pids+=($!)
    pipewire-pulse >>"$dir/pipewire/pipewire-pulse.log" 2>&1 &
    pipewire_pids+=($!)
    pipewire_retry 50 pactl info || return 1
    # The server takes a module only once its session has settled.
    pipewire_retry 30 pactl load-module module-null-sink sink_name=test_null \
        rate=48000 || return 1
    pipewire_retry 30 pactl set-default-sink test_null || return 1
    pipewire_retry 30 sh -c 'pactl get-default-sink | grep -qx test_null'
}
