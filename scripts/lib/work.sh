# A private folder for one test script and the processes it starts, which stop at its end, the
# last started first. Sourced by the test scripts, after jack.sh.
#   work_begin NAME     sets work (the folder) and pids (append what you start), and the EXIT trap
#   work_private_dirs   gives the script its own HOME, TMPDIR and XDG_RUNTIME_DIR under $work

pids=()

work_end() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_and_wait "${pids[i]}"; done
    rm -rf "$work"
}

work_begin() {
    work=$(mktemp -d "/tmp/tonvel-$1-XXXXXX")
    trap work_end EXIT
}

work_private_dirs() {
    export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home TMPDIR=$work/tmp
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    mkdir -p "$HOME" "$TMPDIR"
}
