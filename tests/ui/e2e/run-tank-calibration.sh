#!/usr/bin/env bash
# The tank calibration window through the real program on a private X server, driven with
# xdotool and judged by the files it writes: the session file kept across kill -9, a damaged
# session file set aside, and a whole calibration of the simulator's lying cylinder exported
# to CSV; two programs on one data folder, the offer of the last table closed unanswered,
# imports at and past the bounds of a table; no point from a reading the silent line left old,
# and a table that takes no point from another sensor. The table left by kill -9 is offered
# also from the folders an earlier version used, which the program carries over to its own at
# the start. HOME and the XDG folders are private, so nothing of the user's is touched. The
# last part reads the window's words through the accessibility bus (run under
# dbus-run-session).
# Usage: run-tank-calibration.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"
here="$(dirname "$0")"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

export HOME="$workdir/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
session="$XDG_DATA_HOME/Brindolex/dut-configurator/tank-calibration.session"
# Where earlier versions kept the data folder and the settings.
old_data="$XDG_DATA_HOME/brindolex-dut-configurator"
old_settings="$XDG_CONFIG_HOME/Unknown Organization/brindolex-dut-configurator.conf"

log="$workdir/program.log"
stopped_sim=""
fail() {
    [ -z "$stopped_sim" ] || kill -CONT "$stopped_sim" 2>/dev/null || true
    echo "FAILED: $*" >&2
    echo "--- program log" >&2
    tail -n 20 "$log" >&2 || true
    echo "--- session file" >&2
    cat "$session" >&2 || true
    if [ -n "$on_bus" ]; then
        echo "--- the tank window says" >&2
        tank_says >&2 || true
    fi
    exit 1
}

start_xvfb || fail "Xvfb reported no display"

program_pid=""
# Windows are looked for among those of one program (the one last started unless set).
only_pid=""
on_bus=""
# Set, the program is started on the accessibility bus (tank_says reads it there).
start_program() {
    env QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 ${on_bus:+QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1} \
        "$program" "$@" >"$log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    only_pid="$program_pid"
    wait_for 150 find_window 'Brindolex DUT configurator v1\.3' || fail "no main window"
    main_window="$window"
}

window=""
find_window() {
    window=$(xdotool search --all --onlyvisible ${only_pid:+--pid "$only_pid"} --name "^$1\$" \
        2>/dev/null | head -n1)
    [ -n "$window" ]
}
gone() { ! xdotool search --all --onlyvisible ${only_pid:+--pid "$only_pid"} --name "^$1\$" >/dev/null 2>&1; }
end_program() {
    kill "$program_pid"
    for _ in $(seq 1 100); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
    ! kill -0 "$program_pid" 2>/dev/null || fail "the program did not end on SIGTERM"
    wait "$program_pid" 2>/dev/null || true
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

# The same leftovers as an earlier version would have left them: the session with its lock
# of the killed program, tables set aside beside it, and the settings under Qt's stand-in
# organisation.
new_data=$(dirname "$session")
mv "$new_data" "$old_data"
rm -rf "$XDG_CONFIG_HOME/Brindolex"
printf 'dut-tank-session 1\nsensor\t1234\nend\t0\n' >"$old_data/tank-calibration.session.previous-20261210-101500"
printf '\x00\x01garbage\xff' >"$old_data/tank-calibration.session.damaged-20261210-101501"
mkdir -p "$(dirname "$old_settings")"
printf '[General]\nlanguage=ru\n' >"$old_settings"
cp -a "$old_data" "$workdir/old-data"
cp "$old_settings" "$workdir/old-settings"

start_program "$workdir/steady"
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 find_window 'Незавершённая тарировка' ||
    fail "the unfinished table was not offered after kill -9 and the move to the new folders"
for kept in "$workdir/old-data"/tank-calibration.session*; do
    name=$(basename "$kept")
    case "$name" in *.lock) continue ;; esac
    cmp -s "$kept" "$new_data/$name" || fail "$name was not carried over whole"
done
[ ! -e "$old_data" ] || fail "the old data folder stayed: $(ls -A "$old_data")"
[ ! -e "$old_settings" ] || fail "the old settings stayed"
grep -q '^language=ru$' "$XDG_CONFIG_HOME/Brindolex/dut-configurator.conf" ||
    fail "the settings were not carried over: $(cat "$XDG_CONFIG_HOME"/Brindolex/*.conf)"
echo "the session, its set-aside tables and the settings carried over to the new folders"
# The cases below look for the files they set aside themselves.
rm "$session".previous-20261210-101500 "$session".damaged-20261210-101501
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
end_program

# --- 4. Two programs on one data folder, each with its own sensor: while the first holds the
# table the second is told which program has it and records nothing; once the first ends, the
# second takes the table up whole and records into it.
rm -f "$session"
# The same sensor's number on the second line: a table takes no point from another sensor.
"$simulator" --link "$workdir/other" --raw 2600 --number 1234 >/dev/null 2>"$workdir/sim4.log" &
pids+=($!)
wait_for 50 test -e "$workdir/other" || fail "the second simulator made no device"
start_program "$workdir/steady"
a_pid="$program_pid"
open_tank_window
a_tank="$tank_window"
record_until 3
cp "$session" "$workdir/a-three"

log="$workdir/program-b.log"
start_program "$workdir/other"
b_pid="$program_pid"
open_tank_window
b_tank="$tank_window"
wait_for 100 grep -q "Таблицу тарировки сейчас ведёт другая программа (процесс $a_pid)" "$log" ||
    fail "the second program was not told which program holds the table"
# Enter, time and again, long after the second sensor's level has settled.
for _ in $(seq 1 12); do
    focus_tank_window
    xdotool key Return
    sleep 0.5
done
cmp -s "$session" "$workdir/a-three" || fail "the second program wrote into the held table"
find_window 'Незавершённая тарировка' && fail "the held table was offered to the second program"

only_pid="$a_pid"
tank_window="$a_tank"
record_until 4
cp "$session" "$workdir/a-four"
program_pid="$a_pid"
end_program
[ ! -e "$session.lock" ] || fail "the ended program left its lock"

only_pid="$b_pid"
program_pid="$b_pid"
tank_window="$b_tank"
focus_tank_window
xdotool key Return
wait_for 100 find_window 'Незавершённая тарировка' ||
    fail "the table let go was not offered to the second program"
xdotool windowfocus --sync "$window"
xdotool key Return
wait_for 50 gone 'Незавершённая тарировка' || fail "the offer stayed"
record_until 5
grep '^point' "$session" | head -n 4 >"$workdir/b-first"
grep '^point' "$workdir/a-four" >"$workdir/a-first"
cmp -s "$workdir/b-first" "$workdir/a-first" ||
    fail "the second program's table is not the first one's: $(diff "$workdir/a-first" "$workdir/b-first")"
echo "two programs: the second recorded nothing while the first held the table, then went on with its 4 points"
end_program

# --- 5. The offer closed unanswered, by Escape and by SIGTERM, keeps the table in its file;
# it is offered again at the next opening.
log="$workdir/program.log"
cp "$session" "$workdir/five"
offer() {
    xdotool windowfocus --sync "$main_window"
    xdotool key ctrl+t
    wait_for 100 find_window 'Незавершённая тарировка' || fail "the unfinished table was not offered ($1)"
}
unchanged() {
    cmp -s "$session" "$workdir/five" || fail "the table changed after $1"
    ! ls "$session".previous-* >/dev/null 2>&1 || fail "the table was set aside after $1"
}
start_program "$workdir/steady"
offer "first"
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_for 50 gone 'Незавершённая тарировка' || fail "Escape left the offer open"
wait_for 20 gone 'Тарировка бака' || fail "Escape on the offer opened the window anyway"
unchanged "Escape"
offer "after Escape"
end_program
unchanged "SIGTERM on the offer"
start_program "$workdir/steady"
offer "after SIGTERM"
xdotool windowfocus --sync "$window"
xdotool key Return
wait_for 100 find_window 'Тарировка бака' || fail "no tank window after the offer"
tank_window="$window"
echo "the offer closed by Escape and by SIGTERM kept the table; it was offered again"

# --- 6. Imports: more points than a table holds and litres past a million are refused with
# the bound; the largest table is taken, and its session is offered again after a restart.
python3 - "$workdir" <<'PY'
import sys
d = sys.argv[1]
with open(d + "/big.csv", "w") as f:
    f.write("Уровень;Литры\n")
    f.writelines(f"{i % 4096};{i}\n" for i in range(300000))
with open(d + "/largest.csv", "w") as f:
    f.write("Уровень;Литры\n")
    f.writelines(f"{i};{i * 500}\n" for i in range(2000))
with open(d + "/litres.csv", "w") as f:
    f.write("Уровень;Литры\n10;0\n20;10000000000000\n")
PY
import_csv() {
    focus_tank_window
    xdotool key ctrl+o
    wait_for 100 find_window 'Импорт таблицы тарировки' || fail "no import dialog"
    xdotool windowfocus --sync "$window"
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    xdotool key Return
}
refused() {
    import_csv "$workdir/$1"
    wait_for 150 grep -qF "Файл $workdir/$1 не принят: $2" "$log" || fail "$1 was not refused with \"$2\""
    wait_for 50 find_window 'Импорт таблицы тарировки' || fail "no refusal box for $1"
    xdotool windowfocus --sync "$window"
    xdotool key Return
    wait_for 50 gone 'Импорт таблицы тарировки' || fail "the refusal box of $1 stayed"
    unchanged "the import of $1"
}
refused big.csv "больше точек, чем помещается в таблицу (предел 2000)"
refused litres.csv "строка 3: литры больше предела в 1000000"
# Under the sanitizers, 2000 points and their session take well over the 15 s that do elsewhere.
import_csv "$workdir/largest.csv"
wait_for 600 test "$(points)" -eq 2000 || fail "the largest table was not taken: $(points) points"
grep -q $'^point\t999500\t1999\t' "$session" || fail "the last point was not kept as read"
end_program
start_program "$workdir/steady"
offer "with 2000 points"
xdotool windowfocus --sync "$window"
xdotool key Return
wait_for 100 find_window 'Тарировка бака' || fail "no tank window after the offer of 2000 points"
[ "$(points)" -eq 2000 ] && ! grep -q 'не читается' "$log" ||
    fail "the session of the largest table was not read back"
echo "imports past the bounds were refused; the largest table was taken and offered again"
end_program

# --- 7. A silent line leaves the last level old: however settled it looked, Enter takes no
# point from it, and the window says why. Then another sensor on the line: the table stays
# its own sensor's, under its heading, and takes none of the other's levels until "Новая
# таблица" starts the other's table, the old one set aside.
rm -f "$session"
on_bus=1
# What the tank window says now, one label a line, as a screen reader reads it.
tank_says() {
    /usr/bin/python3 "$here/fault_matrix/window_labels.py" "$program_pid" 'Тарировка бака' \
        2>"$workdir/labels.err"
}
tank_said() { tank_says | grep -qF -- "$1"; }
tank_heading() { tank_says | grep -qx -- "$1"; }
"$simulator" --link "$workdir/swap" --raw 1834 --number 1234 >/dev/null 2>"$workdir/sim7.log" &
sim_pid=$!
pids+=("$sim_pid")
wait_for 50 test -e "$workdir/swap" || fail "the simulator made no device"
start_program "$workdir/swap"
open_tank_window
record_until 1
focus_tank_window
xdotool key ctrl+a
xdotool type --delay 5 "7"
stopped_sim="$sim_pid"  # fail() lets it go on, or it could not end
kill -STOP "$sim_pid"
sleep 2
focus_tank_window
xdotool key Return
sleep 2
[ "$(points)" -eq 1 ] || fail "a point was recorded from an old reading"
# Read once the line answers again: a program waiting on a silent line answers the bus late.
kill -CONT "$sim_pid"
stopped_sim=""
wait_for 150 tank_said "Точка не записана: последнее показание уровня получено" ||
    fail "Enter on a silent line was not refused for the old reading: $(tank_says)"
tank_said "не старше 1,5 с" || fail "the refusal did not name the limit: $(tank_says)"
record_until 2
grep -q $'^point\t7\t' "$session" || fail "the point after the line came back is not the 7 l typed"
echo "a silent line: no point from the old reading, the refusal said why; the next reading recorded"

kill "$sim_pid"
wait "$sim_pid" 2>/dev/null || true
"$simulator" --link "$workdir/swap" --raw 2600 --number 5678 >/dev/null 2>"$workdir/sim8.log" &
pids+=($!)
wait_for 300 tank_said "На связи другой датчик, ДУТ № 5678" ||
    fail "the window did not say that another sensor is connected: $(tank_says)"
tank_heading "ДУТ № 1234" || fail "the heading no longer names the table's sensor: $(tank_says)"
cp "$session" "$workdir/first-sensor"
for _ in $(seq 1 8); do
    focus_tank_window
    xdotool key Return
    sleep 0.5
done
cmp -s "$session" "$workdir/first-sensor" || fail "the other sensor's level went into the table"
tank_said "Точка не записана: таблица принадлежит ДУТ № 1234, а на связи ДУТ № 5678" ||
    fail "the refusal did not name both sensors: $(tank_says)"
centre=$(/usr/bin/python3 "$here/fault_matrix/button_centre.py" "$program_pid" 'Тарировка бака' \
    'Новая таблица' 2>"$workdir/labels.err") || fail "no button «Новая таблица»: $(cat "$workdir/labels.err")"
read -r x y <<<"$centre"
xdotool mousemove --sync "$x" "$y" click 1
wait_for 100 tank_heading "ДУТ № 5678" || fail "the new table does not name the connected sensor: $(tank_says)"
aside=$(ls "$session".previous-* 2>/dev/null | head -n1)
[ -n "$aside" ] && cmp -s "$aside" "$workdir/first-sensor" || fail "the first sensor's table was not set aside whole"
record_until 1
grep -q $'^sensor\t5678$' "$session" || fail "the new table is not the connected sensor's"
echo "another sensor: its levels stayed out of the first one's table; «Новая таблица» started its own"
end_program
echo "1 passed, 0 failed"
