#!/usr/bin/env bash
# The installed program itself as a native Wayland client, run by wayland-session.sh, with
# a stand-in desktop portal: the four shortcuts it binds, the command an activation runs
# against the simulated sensor, the line it writes when the user declines them, and a clean
# end on SIGTERM that closes its portal session.
# Usage: run-real-program.sh <program> <fake_portal.py> <dut-sensor-sim>
set -euo pipefail
program="$1"
fake_portal="$2"
simulator="$3"
[ "${QT_QPA_PLATFORM:-}" = wayland ] && [ -n "${WAYLAND_DISPLAY:-}" ] || {
    echo "run me through wayland-session.sh" >&2
    exit 1
}

# shellcheck source=../script-helpers.sh
source "$(dirname "$0")/../script-helpers.sh"

fail() {
    echo "FAILED: $*" >&2
    for log in "$workdir"/*.log "$workdir"/*.jsonl; do
        [ -e "$log" ] || continue
        echo "--- $log" >&2
        tail -n 20 "$log" >&2
    done
    exit 1
}

# Asks the recorded calls a question in Python; the expression sees `calls`, a list of dicts.
recorded() {
    /usr/bin/python3 - "$1" "$2" <<'PY'
import json, sys
calls = [json.loads(line) for line in open(sys.argv[1], encoding="utf-8") if line.strip()]
sys.exit(0 if eval("(" + sys.argv[2] + ")") else 1)
PY
}

start_portal() { # name, options...
    local name="$1"
    shift
    /usr/bin/python3 "$fake_portal" --record "$workdir/$name.jsonl" "$@" \
        >"$workdir/$name-portal.log" 2>&1 &
    pids+=($!)
    wait_for 100 grep -q '"Ready"' "$workdir/$name.jsonl" 2>/dev/null ||
        fail "$name: the fake portal did not start"
}

# Ends the program as a desktop session does; it must leave by itself with code 0.
stop_program() { # name, pid
    kill -TERM "$2"
    wait_for 100 eval "! kill -0 $2 2>/dev/null" || fail "$1: the program ignored SIGTERM"
    local code=0
    wait "$2" || code=$?
    [ "$code" -eq 0 ] || fail "$1: the program left with code $code"
}

stop_portal() {
    local pid="${pids[-1]}"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    unset 'pids[-1]'
}

declined_line='^Горячие клавиши F1, F4, F9, F10 работают только в окне программы: '

# 1. The portal binds the four keys.
start_portal bound
"$program" >"$workdir/bound.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
wait_for 100 grep -q '"BindShortcuts"' "$workdir/bound.jsonl" || fail "bound: no BindShortcuts"
recorded "$workdir/bound.jsonl" '[(s[0], s[1]["preferred_trigger"], s[1]["description"])
    for c in calls if c["call"] == "BindShortcuts" for s in c["shortcuts"]] == [
    ("empty-tank", "F1", "Бак пустой (F1)"), ("full-tank", "F4", "Бак полный (F4)"),
    ("address-1", "F9", "Установить адрес 1"), ("address-2", "F10", "Установить адрес 2")]' ||
    fail "bound: not the four shortcuts with their triggers and captions"
echo "bound: empty-tank F1, full-tank F4, address-1 F9, address-2 F10"
# The shortcut reaches the program; with no sensor connected it must not end it.
dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop \
    /org/freedesktop/portal/desktop test.FakePortal.Activate string:full-tank |
    grep -q 'boolean true' || fail "bound: the portal had no session to activate"
sleep 0.3
kill -0 "$program_pid" 2>/dev/null || fail "bound: the program died on an activation"
stop_program bound "$program_pid"
unset 'pids[-1]'
recorded "$workdir/bound.jsonl" '[c["session"] for c in calls if c["call"] == "Close"] ==
    [c["session"] for c in calls if c["call"] == "BindShortcuts"]' ||
    fail "bound: the session was not closed at exit"
grep -q "$declined_line" "$workdir/bound.log" && fail "bound: a fallback line although bound"
echo "bound: exit code 0, session closed"
stop_portal

# 2. The user declines the binding dialog (response 1).
start_portal declined --bind-response 1
"$program" >"$workdir/declined.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
wait_for 100 grep -q "$declined_line" "$workdir/declined.log" ||
    fail "declined: no line on stderr saying why the keys are not global"
wait_for 50 recorded "$workdir/declined.jsonl" 'any(c["call"] == "Close" for c in calls)' ||
    fail "declined: the refused session was not closed"
stop_program declined "$program_pid"
unset 'pids[-1]'
lines=$(grep -c "$declined_line" "$workdir/declined.log")
[ "$lines" -eq 1 ] || fail "declined: the reason was written $lines times"
grep "$declined_line" "$workdir/declined.log"
echo "declined: one line on stderr, exit code 0"
stop_portal

# 3. Connected to a sensor whose raw value stays at 1834, the bound full-tank shortcut runs
# F4: parameter 4 written with the current value and read back, the success box (read and
# answered through the accessibility bus), and the sensor holding the value.
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$workdir/a11y.log" 2>&1 &
pids+=($!)
wait_for 100 eval 'dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus | grep -q "boolean true"' ||
    fail "connected: no accessibility bus"
start_portal connected
"$simulator" --link "$workdir/sensor" --raw 1834 --verbose >"$workdir/sim.out" \
    2>"$workdir/sim.log" &
sim_pid=$!
pids+=("$sim_pid")
wait_for 50 test -e "$workdir/sensor" || fail "connected: the simulator made no device"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" "$workdir/sensor" >"$workdir/connected.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
# Bound, connected (the version read ends the connect) and a value polled after that.
wait_for 100 grep -q '"BindShortcuts"' "$workdir/connected.jsonl" ||
    fail "connected: no BindShortcuts"
value_polled() {
    awk '/^rx 00 00 00 00 BB CF 58 00 01 0A/ { connected = 1 }
         connected && /^rx 00 00 00 00 BB CF 58 00 01 00/ { raw = 1 }
         raw && /^rx 00 00 00 00 BB CF 58 00 01 06/ { level = 1 }
         END { exit !level }' "$workdir/sim.log"
}
wait_for 300 value_polled || fail "connected: the program never polled after connecting"
dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop \
    /org/freedesktop/portal/desktop test.FakePortal.Activate string:full-tank |
    grep -q 'boolean true' || fail "connected: the portal had no session to activate"
box=$(/usr/bin/python3 "$(dirname "$0")/answer_box.py" "$program_pid" \
    "Максимальный уровень установлен!" 20) || fail "connected: the box read '$box'"
# 1834 = 0x072A, written to parameter 4 and read back with value field 0.
grep -q '^rx 00 00 00 00 BB CF 58 00 02 04 2A 07 00 00' "$workdir/sim.log" ||
    fail "connected: no full-tank write of 1834"
grep -q '^rx 00 00 00 00 BB CF 58 00 01 04 00 00 00 00' "$workdir/sim.log" ||
    fail "connected: the full-tank level was not read back"
kill -HUP "$sim_pid"
wait_for 50 grep -q '^params ' "$workdir/sim.out" || fail "connected: the simulator dumped nothing"
grep -q '^params .* 4=1834 ' "$workdir/sim.out" ||
    fail "connected: the sensor holds $(grep '^params ' "$workdir/sim.out")"
echo "connected: full-tank wrote 1834 to parameter 4, box '$box', the sensor holds it"
stop_program connected "$program_pid"
unset 'pids[-1]'

echo "3 passed, 0 failed"
