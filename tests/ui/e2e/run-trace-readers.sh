#!/usr/bin/env bash
# The exchange log to readers that do not keep up: standard output into `head -3`, a FIFO
# nobody has opened, and a FIFO whose reader stops reading. None of them holds up the line:
# the program keeps polling the simulated sensor, its window answers, and a close or SIGTERM
# still ends it. Usage: run-trace-readers.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

fail() {
    echo "FAILED: $*" >&2
    for f in program.log sim.log; do
        echo "--- $f (last lines)" >&2
        tail -n 15 "$workdir/$f" >&2 2>/dev/null || true
    done
    exit 1
}

start_xvfb || fail "Xvfb reported no display"
"$simulator" --link "$workdir/sensor" --log "$workdir/sim.log" >/dev/null 2>&1 &
pids+=($!)
wait_for 50 test -e "$workdir/sensor" || fail "the simulator made no device"

requests() { grep -c '^.*request ' "$workdir/sim.log" 2>/dev/null || true; }
# The connect sequence ends with the version read (operation 01, parameter 0A).
connected_since() { tail -n +"$1" "$workdir/sim.log" | grep -q 'request 01 0A answered'; }
# The sensor keeps being asked: more requests within 5 s (the poll asks every 200 ms).
still_polled() {
    local before
    before=$(requests)
    wait_for 50 eval '[ "$(requests)" -gt "$before" ]'
}
said() { grep -c "$1" "$workdir/program.log" || true; }

# Starts the program on the simulator with the log going to $1; its standard output goes to
# $2. Sets program_pid, and sim_from to the simulator log's first line of this run.
start_program() {
    sim_from=$(($(wc -l <"$workdir/sim.log") + 1))
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" --trace "$1" "$workdir/sensor" \
        2>"$workdir/program.log" >"$2" &
    program_pid=$!
    pids+=("$program_pid")
}

# Ends the program with $1 ("close" through the main window's close box, or a signal's name)
# and expects it gone within 10 s with code 0.
end_program() {
    if [ "$1" = close ]; then
        request_close "$main_window"
    else
        kill -s "$1" "$program_pid"
    fi
    wait_for 100 eval '! kill -0 "$program_pid" 2>/dev/null' ||
        fail "the program did not end within 10 s of $1"
    local status=0
    wait "$program_pid" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with $status after $1"
}

# 1. Standard output into `head -3`, which exits after three lines: the log ends with one
# line on stderr; the program polls on, its window stays, and a close ends it.
sim_from=$(($(wc -l <"$workdir/sim.log") + 1))
QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" --trace - "$workdir/sensor" \
    2>"$workdir/program.log" > >(head -n 3 >"$workdir/head.out") &
program_pid=$!
pids+=("$program_pid")
wait_for 150 find_main_window || fail "no main window with the log going into head"
wait_for 150 eval '[ "$(said "exchange log - ended")" -ge 1 ]' ||
    fail "no line on stderr saying the log ended when head went"
[ "$(wc -l <"$workdir/head.out")" -eq 3 ] || fail "head did not get its three lines"
kill -0 "$program_pid" 2>/dev/null || fail "the program died with its log's reader"
wait_for 150 connected_since "$sim_from" || fail "never connected with the log into head"
still_polled || fail "the polls stopped after the log's reader went"
sleep 1
[ "$(said "exchange log - ended")" -eq 1 ] || fail "the log's end was said $(said ended) times"
find_main_window || fail "the main window went with the log"
end_program close
echo "--trace - into head -3: the log ended with one line on stderr, the program went on"

# 2. A FIFO nobody reads yet: the window comes up and connects; once a reader opens the FIFO
# it gets the log.
mkfifo "$workdir/absent.fifo"
start_program "$workdir/absent.fifo" /dev/null
wait_for 150 find_main_window || fail "no main window with the log on a FIFO without a reader"
wait_for 150 connected_since "$sim_from" || fail "never connected with the log on a FIFO"
[ "$(said "absent.fifo has no reader yet")" -eq 1 ] || fail "the missing reader was not said"
cat "$workdir/absent.fifo" >"$workdir/absent.out" &
pids+=($!)
trace_line() { grep -qE '^ +[0-9]+\.[0-9]{3}  (tx|rx)  ' "$workdir/absent.out"; }
wait_for 100 trace_line || fail "the reader that came later got no log"
end_program TERM
echo "FIFO without a reader: the window connected, and a later reader got the log"

# 3. A FIFO whose reader stops reading: its buffer is made as small as the system allows, one
# page, which a blocking writer would fill within about 30 polls (some 150 bytes each); yet the
# sensor is still asked well past that, and both a close and SIGTERM end the program.
for ending in close TERM; do
    mkfifo "$workdir/stalled-$ending.fifo"
    # The reader opens the FIFO, shrinks its buffer, reads nothing and reports how full it is.
    /usr/bin/python3 - "$workdir/stalled-$ending.fifo" "$workdir/stalled-$ending.fill" <<'PY' &
import fcntl, os, struct, sys, termios, time
fd = os.open(sys.argv[1], os.O_RDONLY)
capacity = fcntl.fcntl(fd, fcntl.F_SETPIPE_SZ, 4096)
for _ in range(1200):
    queued = struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0" * 4))[0]
    with open(sys.argv[2] + ".new", "w") as out:
        out.write(f"{queued} {capacity}\n")
    os.rename(sys.argv[2] + ".new", sys.argv[2])
    time.sleep(0.1)
PY
    pids+=($!)
    start_program "$workdir/stalled-$ending.fifo" /dev/null
    wait_for 150 find_main_window || fail "no main window with a stalled reader"
    holds() { read -r queued _ <"$workdir/stalled-$ending.fill" && [ "$queued" -gt 0 ]; }
    wait_for 300 holds || fail "the stalled reader was never sent a line"
    stalled_at=$(requests)
    wait_for 450 eval '[ "$(requests)" -ge $((stalled_at + 60)) ]' ||
        fail "the polls stopped with the reader stalled, after $(($(requests) - stalled_at))"
    still_polled || fail "the polls stopped after a while with the reader stalled"
    end_program "$ending"
    [ "$(said "stalled-$ending.fifo lost [0-9]* lines")" -eq 1 ] ||
        fail "the lines the stalled reader missed were not counted on stderr"
    echo "FIFO whose reader stopped: polled on, ended by $ending, $(grep -o 'lost [0-9]* lines' "$workdir/program.log")"
done
echo "4 passed, 0 failed"
