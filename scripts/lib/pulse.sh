# A private PulseAudio server with a null sink, the default for its clients; sourced by the
# measuring scripts. Everything it keeps lives under a folder of the caller's, so a server
# someone else runs is neither used nor disturbed.
#   pulse_start DIR      sets pulse_pid and exports what its clients need
# With PULSE_REALTIME set the server runs at real-time priority where allowed, as a desktop's
# does through rtkit.

pulse_start() {
    local dir=$1 priority="--realtime=no --high-priority=no"
    [[ -n ${PULSE_REALTIME:-} ]] && priority="--realtime=yes --high-priority=yes"
    mkdir -p "$dir/pulse" && chmod 700 "$dir/pulse"
    export PULSE_RUNTIME_PATH=$dir/pulse/runtime PULSE_STATE_PATH=$dir/pulse/state
    export PULSE_SERVER=unix:$dir/pulse/runtime/native
    printf 'autospawn = no\n' >"$dir/pulse/client.conf"
    export PULSE_CLIENTCONFIG=$dir/pulse/client.conf
    # shellcheck disable=SC2086
    pulseaudio --daemonize=no --system=false --exit-idle-time=-1 $priority --use-pid-file=no \
        --log-target=stderr -n --load="module-null-sink sink_name=test_null rate=48000" \
        --load=module-native-protocol-unix >"$dir/pulse/log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 50); do
        kill -0 "$pulse_pid" 2>/dev/null || return 1
        pactl info >/dev/null 2>&1 && pactl set-default-sink test_null && return 0
        sleep 0.1
    done
    return 1
}
