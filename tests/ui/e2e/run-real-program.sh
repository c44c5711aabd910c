#!/usr/bin/env bash
# The installed program itself, not a test build of its windows: started on a private X
# server beside the simulator, driven only from outside with xdotool, judged by what the
# simulated sensor receives. Usage: run-real-program.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

fail() {
    echo "FAILED: $*" >&2
    echo "--- simulator log (last lines)" >&2
    tail -n 20 "$workdir/sim.log" >&2 || true
    exit 1
}

start_xvfb || fail "Xvfb reported no display"

# A sensor whose raw value stays at 1834, so the full-tank write is known in advance.
"$simulator" --link "$workdir/sensor" --raw 1834 --verbose >/dev/null 2>"$workdir/sim.log" &
pids+=($!)
wait_for 50 test -e "$workdir/sensor" || fail "the simulator made no device"

QT_QPA_PLATFORM=xcb "$program" >"$workdir/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

type_port "$workdir/sensor" ||
    fail "no main window with the caption 'Brindolex DUT configurator v1.3'"
echo "main window up, port typed"

# Nothing is clicked: the automatic reconnect uses the typed name and reads parameters
# 3, 4, 5, 7 and 10; the version read (operation 01, parameter 0A) ends the sequence.
version_read() { grep -q '^rx 00 00 00 00 BB CF 58 00 01 0A' "$workdir/sim.log"; }
wait_for 100 version_read || fail "the typed port was never connected"
echo "connected through the typed port name"

# Another program takes the focus; F4 still reaches the configurator.
xmessage -name other-program "another program" &
pids+=($!)
other=""
find_other() {
    other=$(xdotool search --onlyvisible --name '^other-program$' 2>/dev/null | head -n1)
    [ -n "$other" ]
}
wait_for 100 find_other || fail "the other program's window did not appear"
xdotool windowfocus --sync "$other"
sleep 0.5 # two polling ticks fill the current value
xdotool key F4

# 1834 = 0x072A, written to parameter 4 and read back with value field 0.
full_written() {
    grep -q '^rx 00 00 00 00 BB CF 58 00 02 04 2A 07 00 00' "$workdir/sim.log" &&
        grep -q '^rx 00 00 00 00 BB CF 58 00 01 04 00 00 00 00' "$workdir/sim.log"
}
wait_for 50 full_written || fail "F4 in the background wrote no full-tank level"
echo "F4 wrote and read back the full-tank level while another window had the focus"

kill -0 "$program_pid" 2>/dev/null || fail "the program died"
echo "1 passed, 0 failed"
