#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP at any moment of the real program's life end it: every 50 ms of
# its first second (before the application object, before the windows, while the port named
# on the command line is being connected, after), once connected, during an exchange with a
# silent sensor, and while a box waits for an answer. Each start must end within 10 s, with
# code 0 (through the event loop) or 128 + the signal (before there was a window).
# Usage: run-signals.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

fail() {
    echo "FAILED: $*" >&2
    tail -n 15 "$workdir/program.log" >&2 2>/dev/null || true
    exit 1
}

start_xvfb || fail "Xvfb reported no display"
"$simulator" --link "$workdir/sensor" --log "$workdir/sim.log" >/dev/null 2>&1 &
pids+=($!)
"$simulator" --link "$workdir/silent" --silent --log "$workdir/silent.log" >/dev/null 2>&1 &
pids+=($!)
wait_for 50 eval 'test -e "$workdir/sensor" && test -e "$workdir/silent"' ||
    fail "the simulators made no device"

# A job in the background of a script starts with SIGINT ignored; a signal that came before
# the program's first instruction would be lost for that reason alone.
start_program() {
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 env --default-signal=INT "$program" "$@" \
        >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
}

# Sends $1 and expects the program gone within 10 s with code 0 or 128 + the signal; $2 says
# when, for the messages. Sets ended_with.
signal_and_wait() {
    kill -s "$1" "$program_pid" 2>/dev/null || true
    wait_for 100 eval '! kill -0 "$program_pid" 2>/dev/null' ||
        fail "SIG$1 $2: still running 10 s later"
    ended_with=0
    wait "$program_pid" || ended_with=$?
    local number
    number=$(kill -l "$1")
    [ "$ended_with" -eq 0 ] || [ "$ended_with" -eq $((128 + number)) ] ||
        fail "SIG$1 $2: ended with code $ended_with"
}

# 1. The first second, in steps of 50 ms: SIGTERM at every step, SIGINT and SIGHUP at a few.
summary=""
for ms in $(seq 0 50 1000); do
    signals=TERM
    case $ms in 0 | 100 | 250 | 500 | 1000) signals="TERM INT HUP" ;; esac
    for signal in $signals; do
        start_program "$workdir/sensor"
        sleep "$(awk -v ms="$ms" 'BEGIN { print ms / 1000 }')"
        signal_and_wait "$signal" "after $ms ms"
        summary+=" $ms:$signal=$ended_with"
    done
done
echo "first second:$summary"

# 2. Connected and polling: through the event loop, code 0.
for signal in TERM INT HUP; do
    from=$(($(wc -l <"$workdir/sim.log") + 1))
    start_program "$workdir/sensor"
    polled() { tail -n +"$from" "$workdir/sim.log" | grep -q 'request 01 06'; }
    wait_for 150 polled || fail "never polled"
    signal_and_wait "$signal" "while polling"
    [ "$ended_with" -eq 0 ] || fail "SIG$signal while polling ended with $ended_with, not 0"
done
echo "while polling: SIGTERM, SIGINT and SIGHUP end the program with code 0"

# 3. During an exchange with a silent sensor: after that exchange, code 0. Twice in a row, as
# a second signal must be heard as well as the first.
start_program "$workdir/silent"
wait_for 150 eval 'grep -q unanswered "$workdir/silent.log"' || fail "the silent sensor was never asked"
kill -s TERM "$program_pid"
sleep 0.5
signal_and_wait TERM "twice during an exchange"
[ "$ended_with" -eq 0 ] || fail "SIGTERM during an exchange ended with $ended_with, not 0"
echo "during an exchange: ended with code 0"

# 4. A window up that a close waits for, the monitor or F4's box: nobody may be there to answer
# it at logout, so the signal answers it as Escape would.
window_up() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
for keys in ctrl+shift+l F4; do
    from=$(($(wc -l <"$workdir/sim.log") + 1))
    start_program "$workdir/sensor"
    wait_for 150 find_main_window || fail "no main window"
    polled() { tail -n +"$from" "$workdir/sim.log" | grep -q 'request 01 06'; }
    wait_for 150 polled || fail "never polled"
    xdotool windowfocus --sync "$main_window"
    xdotool key "$keys"
    case $keys in
    F4) window='^ Brindolex DUT configurator v1\.0$' ;;
    *) window='^Монитор работы LLS$' ;;
    esac
    wait_for 100 window_up "$window" || fail "$keys opened no window"
    signal_and_wait TERM "with $window up"
    [ "$ended_with" -eq 0 ] || fail "SIGTERM with $window up ended with $ended_with, not 0"
done
echo "with the monitor or a box up: ended with code 0"
echo "4 passed, 0 failed"
