#!/usr/bin/env bash
# The tank calibration window through the real program on a private X server, driven with
# xdotool and judged by the files it writes: the session file kept across kill -9, a damaged
# session file set aside, and a whole calibration of the simulator's lying cylinder exported
# to CSV. HOME and the XDG folders are private, so nothing of the user's is touched.
# Usage: run-tank-calibration.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

export HOME="$workdir/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
session="$XDG_DATA_HOME/brindolex-dut-configurator/tank-calibration.session"

fail() {
    echo "FAILED: $*" >&2
    echo "--- program log" >&2
    tail -n 20 "$workdir/program.log" >&2 || true
    echo "--- session file" >&2
    cat "$session" >&2 || true
    exit 1
}

start_xvfb || fail "Xvfb reported no display"

program_pid=""
start_program() {
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" "$@" >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    wait_for 150 find_main_window || fail "no main window"
}

window=""
find_window() {
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$window" ]
}
# Ctrl+T in the main window opens the tank window; the keys then go to it.
open_tank_window() {
    xdotool windowfocus --sync "$main_window"
    xdotool key ctrl+t
    wait_for 100 find_window 'Тарировка бака' || fail "Ctrl+T opened no tank calibration window"
    tank_window="$window"
}
focus_tank_window() { xdotool windowfocus --sync "$tank_window"; }

points() {
    if [ -e "$session" ]; then grep -c '^point' "$session" || true; else echo 0; fi
}
# Presses Enter until the session file holds $1 points: a press while the level settles is
# refused, so it is tried again until the level has been stable for five readings.
record_until() {
    local want="$1"
    for _ in $(seq 1 60); do
        [ "$(points)" -ge "$want" ] && break
        focus_tank_window
        xdotool key Return
        wait_for 5 test "$(points)" -ge "$want" && break
    done
    [ "$(points)" -eq "$want" ] || fail "wanted $want points in the session file, found $(points)"
}

# --- 1. Three points survive kill -9 and are offered at the next opening.
"$simulator" --link "$workdir/steady" --raw 1834 >/dev/null 2>"$workdir/sim1.log" &
pids+=($!)
wait_for 50 test -e "$workdir/steady" || fail "the simulator made no device"
start_program "$workdir/steady"
open_tank_window
record_until 1
record_until 2
record_until 3
cp "$session" "$workdir/three-points"
kill -9 "$program_pid"
wait "$program_pid" 2>/dev/null || true
echo "three points recorded, program killed"

start_program "$workdir/steady"
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 find_window 'Незавершённая тарировка' ||
    fail "the unfinished table was not offered after kill -9"
xdotool windowfocus --sync "$window"
xdotool key Return  # "Продолжить", the default
wait_for 100 find_window 'Тарировка бака' || fail "no tank window after the offer"
tank_window="$window"
record_until 4
head -n -1 "$session" | head -n -1 >"$workdir/now-first"
head -n -1 "$workdir/three-points" >"$workdir/before-first"
cmp -s "$workdir/now-first" "$workdir/before-first" ||
    fail "the offered table is not the one left behind: $(diff "$workdir/before-first" "$workdir/now-first")"
echo "the 3 points were offered after kill -9 and taken up again"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true

# --- 2. A damaged session file is set aside with its message; the window starts empty.
printf 'dut-tank-session 1\npoint\t1\tx\n\x00\x01garbage' >"$session"
cp "$session" "$workdir/damaged"
start_program "$workdir/steady"
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 find_window 'Файл сеанса тарировки не читается' ||
    fail "no message about the damaged session file"
grep -q 'Файл сеанса тарировки не читается (строка 2: не читается). Он отложен как .*tank-calibration.session.damaged-' \
    "$workdir/program.log" || fail "the message did not say why and where the file went"
aside=$(ls "$session".damaged-* 2>/dev/null | head -n1)
[ -n "$aside" ] && cmp -s "$aside" "$workdir/damaged" || fail "the damaged file was not kept aside"
[ ! -e "$session" ] || fail "the damaged file was left in place"
xdotool windowfocus --sync "$window"
xdotool key Return
wait_for 100 find_window 'Тарировка бака' || fail "no tank window after the message"
tank_window="$window"
record_until 1
cmp -s "$aside" "$workdir/damaged" || fail "the set-aside file was changed"
echo "a damaged session file was set aside with its message and the window started empty"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
rm -f "$session"

# --- 3. A lying cylinder of 80 litres, 8 portions of 10 litres, exported to CSV.
fifo="$workdir/control"
"$simulator" --link "$workdir/tank" --tank-litres 80 --tank-shape cylinder --control "$fifo" \
    >"$workdir/tank.out" 2>"$workdir/sim3.log" &
pids+=($!)
wait_for 50 test -e "$workdir/tank" || fail "the tank simulator made no device"
start_program "$workdir/tank"
open_tank_window
record_until 1
settled() { [ "$(grep -c '^tank settled' "$workdir/tank.out")" -ge "$1" ]; }
for portion in $(seq 1 8); do
    # Opened for each line: the simulator reads the pipe without blocking.
    echo "pour 10" >"$fifo"
    wait_for 150 settled "$portion" || fail "portion $portion never settled in the simulator"
    record_until $((portion + 1))
done
echo "8 portions poured and recorded"
focus_tank_window
xdotool key ctrl+s
wait_for 100 find_window 'Экспорт таблицы тарировки' || fail "no export dialog"
xdotool windowfocus --sync "$window"
xdotool key ctrl+a
xdotool type --delay 5 "$workdir/table.csv"
xdotool key Return
wait_for 100 test -s "$workdir/table.csv" || fail "nothing exported"

# The tank model on its own: the height of fuel in a lying cylinder for each volume, the raw
# value between the simulator's empty (200) and full (3000) levels, and the sensor's output
# level. One level step of slack: the program must show what the sensor said.
python3 - "$workdir/table.csv" <<'PY' || fail "the exported table does not match the tank"
import math, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
assert lines[0].startswith("# Бак: ") and "ДУТ № 1234" in lines[0], lines[0]
assert lines[1] == "Уровень;Литры", lines[1]
rows = [tuple(l.split(";")) for l in lines[2:]]
assert len(rows) == 9, rows
def height(share):
    low, high = 0.0, 1.0
    for _ in range(60):
        mid = (low + high) / 2
        a = 2 * math.acos(1 - 2 * mid)
        if (a - math.sin(a)) / (2 * math.pi) < share: low = mid
        else: high = mid
    return (low + high) / 2
for i, (level, litres) in enumerate(rows):
    assert float(litres) == 10 * i, (i, litres)
    h = 0.0 if i == 0 else 1.0 if i == 8 else height(i / 8)
    raw = math.floor(200 + h * 2800 + 0.5)
    expected = ((raw - 200) * 4095 * 2 + 2800) // (2800 * 2)
    assert abs(int(level) - expected) <= 1, (i, level, expected)
    print(f"{litres} l: level {level}, model {expected}")
PY
echo "the exported table matches the cylinder within one level step"
echo "1 passed, 0 failed"
