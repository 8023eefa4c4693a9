# A private X display and the program's window on it; sourced by the test scripts.

# Starts Xvfb on a free-looking display numbered from $1 and exports DISPLAY; sets xvfb_pid.
xvfb_start() {
    local display=:$(($1 + RANDOM % 100))
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=$display
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# Waits for the program's window and gives it the focus; sets window. Fails if none shows.
focus_program_window() {
    window=""
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Tonvel$' 2>/dev/null | head -n1)
        [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || return 1
    xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
