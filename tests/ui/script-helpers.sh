# Sourced by the test scripts that run programs beside helper processes. Gives a scratch
# folder $workdir, a list $pids of helper processes that end with the script (the folder
# goes too), and wait_for.

workdir="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$workdir"
}
trap cleanup EXIT

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
    local tenths="$1"
    shift
    for _ in $(seq 1 "$tenths"); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}
