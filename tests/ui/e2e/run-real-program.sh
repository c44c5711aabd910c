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

# The command line is answered before any window exists, so without a display; in English
# here (run-language.sh checks the Russian).
"$program" --version >"$workdir/out" || fail "--version failed"
grep -qx 'brindolex-dut-configurator [0-9][0-9.]*' "$workdir/out" || fail "--version printed: $(cat "$workdir/out")"
"$program" --lang en --help >"$workdir/out" || fail "--help failed"
grep -qx 'Usage: brindolex-dut-configurator \[--trace FILE\] \[--lang ru|en\] \[PORT\]' "$workdir/out" || fail "--help printed no usage"
status=0
"$program" --lang en --no-such-option >"$workdir/out" 2>"$workdir/err" || status=$?
[ "$status" -eq 2 ] && [ ! -s "$workdir/out" ] && grep -q '^Usage:' "$workdir/err" ||
    fail "an unknown option ended with status $status, not 2 with the usage on stderr"
echo "command line answered"

start_xvfb || fail "Xvfb reported no display"

# A sensor whose raw value stays at 1834, so the full-tank write is known in advance.
"$simulator" --link "$workdir/sensor" --raw 1834 --verbose >/dev/null 2>"$workdir/sim.log" &
pids+=($!)
wait_for 50 test -e "$workdir/sensor" || fail "the simulator made no device"

QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" >"$workdir/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

type_port "$workdir/sensor" ||
    fail "no main window with the caption 'Brindolex DUT configurator v1.3'"
echo "main window up, port typed"

# Nothing is clicked: the automatic reconnect uses the typed name and reads parameters
# 3, 4, 5, 7 and 10; the version read (operation 01, parameter 0A) ends the sequence.
version_read() { grep -q '^rx 00 00 00 00 BB CF 58 00 01 0A' "$workdir/sim.log"; }
wait_for 300 version_read || fail "the typed port was never connected"
echo "connected through the typed port name"

# Another program takes the focus; F4 still reaches the configurator.
xmessage -name other-program "another program" &
pids+=($!)
other=""
find_other() {
    other=$(xdotool search --onlyvisible --name '^other-program$' 2>/dev/null | head -n1)
    [ -n "$other" ]
}
wait_for 200 find_other || fail "the other program's window did not appear"
xdotool windowfocus --sync "$other"

# F4 takes the current value that a poll of parameter 0 filled in. A poll of parameter 6
# comes a tick after that one, so once the simulator has answered one after the other
# (and both after the connect sequence), the value is there, however slow the ticks are.
value_polled() {
    awk '/^rx 00 00 00 00 BB CF 58 00 01 0A/ { connected = 1 }
         connected && /^rx 00 00 00 00 BB CF 58 00 01 00/ { raw = 1 }
         raw && /^rx 00 00 00 00 BB CF 58 00 01 06/ { level = 1 }
         END { exit !level }' "$workdir/sim.log"
}
wait_for 300 value_polled || fail "the program never polled after connecting"
xdotool key F4

# 1834 = 0x072A, written to parameter 4 and read back with value field 0.
full_written() {
    grep -q '^rx 00 00 00 00 BB CF 58 00 02 04 2A 07 00 00' "$workdir/sim.log" &&
        grep -q '^rx 00 00 00 00 BB CF 58 00 01 04 00 00 00 00' "$workdir/sim.log"
}
wait_for 200 full_written || fail "F4 in the background wrote no full-tank level"
echo "F4 wrote and read back the full-tank level while another window had the focus"

kill -0 "$program_pid" 2>/dev/null || fail "the program died"

# Started again with the simulator's port as its argument, it connects with no typing.
restart() {
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" "$@" >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
}
version_reads() { grep -c '^rx 00 00 00 00 BB CF 58 00 01 0A' "$workdir/sim.log" || true; }
before=$(version_reads)
restart "$workdir/sensor"
connected_again() { [ "$(version_reads)" -gt "$before" ]; }
wait_for 150 connected_again || fail "the port given on the command line was never connected"
echo "connected through the port given on the command line"

# A port that cannot be opened: the reason on stderr, and the program goes on.
restart "$workdir/no-such-port"
said_why() {
    grep -qx "brindolex-dut-configurator: Cannot open $workdir/no-such-port: .*\. The adapter is not plugged in, or the name is wrong\." "$workdir/program.log"
}
wait_for 150 said_why || fail "no reason on stderr for a missing port: $(cat "$workdir/program.log")"
wait_for 150 find_main_window || fail "no main window after a port that could not be opened"
kill -0 "$program_pid" 2>/dev/null || fail "the program died on a port it could not open"
echo "a missing port given on the command line said why and the program kept running"
echo "1 passed, 0 failed"
