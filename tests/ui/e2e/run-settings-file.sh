#!/usr/bin/env bash
# A sensor's settings through the real program on a private X server: saved from one simulated
# sensor to a file, applied to a second sensor of another number (the levels stay as they
# were) and to a third of the same number (every value taken), each checked in the simulator
# itself; a bad file and a silent sensor write nothing. The file dialog is bypassed with
# DUT_SETTINGS_FILE.
# Usage: run-settings-file.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

export HOME="$workdir/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$HOME/.local/share"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
file="$workdir/settings.json"

fail() {
    echo "FAILED: $*" >&2
    echo "--- program log" >&2
    tail -n 20 "$workdir/program.log" >&2 || true
    echo "--- settings file" >&2
    cat "$file" >&2 || true
    exit 1
}

start_xvfb || fail "Xvfb reported no display"

sim_pid=""
# start_sim NAME OPTIONS...: a simulated sensor on $workdir/NAME, its requests logged.
start_sim() {
    local name="$1"
    shift
    "$simulator" --link "$workdir/$name" --log "$workdir/$name.log" --raw 1000 "$@" \
        >"$workdir/$name.out" 2>"$workdir/$name.err" &
    sim_pid=$!
    pids+=("$sim_pid")
    wait_for 50 test -e "$workdir/$name" || fail "the simulator $name made no device"
}

program_pid=""
# start_program NAME: the program connected to the simulator NAME (its connect sequence has
# read the version, parameter 10, the last of its five reads).
start_program() {
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 DUT_SETTINGS_FILE="$file" "$program" \
        "$workdir/$1" >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    wait_for 150 find_main_window || fail "no main window"
    wait_for 150 grep -q 'request 01 0A answered' "$workdir/$1.log" || fail "never connected to $1"
}
stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
}

said() { grep -qF "$1" "$workdir/program.log"; }
box=""
find_box() {
    box=$(xdotool search --onlyvisible --name '^ Brindolex DUT configurator v1\.0$' 2>/dev/null |
        head -n1)
    [ -n "$box" ]
}
# Waits for the program to say $1, then closes the box that says it.
expect_box() {
    wait_for 200 said "$1" || fail "the program never said: $1"
    wait_for 100 find_box || fail "no message box for: $1"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for 50 bash -c '! xdotool search --onlyvisible --name "^ Brindolex DUT configurator v1\.0$"' ||
        fail "the box did not close"
}
keys() {
    xdotool windowfocus --sync "$main_window"
    xdotool key "$1"
}
# The simulator's parameters as it holds them now: "3=5 4=3500 ..." from its SIGHUP line.
sim_params() {
    local before
    before=$(grep -c '^params' "$workdir/$1.out" || true)
    kill -HUP "$sim_pid"
    wait_for 50 test "$(grep -c '^params' "$workdir/$1.out")" -gt "$before" ||
        fail "the simulator $1 printed no parameters"
    grep '^params' "$workdir/$1.out" | tail -n1
}
holds() {
    local line
    line=$(sim_params "$1")
    shift
    for pair in "$@"; do
        [[ " $line " == *" $pair "* ]] || fail "the simulator should hold $pair: $line"
    done
}

# --- 1. Save from the first sensor.
start_sim first --number 1234 --address 5 --full 3500 --empty 300 --resolution 200 --interval 30
start_program first
keys ctrl+shift+s
expect_box "Настройки ДУТ № 1234 сохранены в файл $file."
python3 - "$file" <<'PY' || fail "the file does not hold the first sensor's settings"
import json, sys
saved = json.load(open(sys.argv[1], encoding="utf-8"))
date = saved.pop("date")
assert len(date) == 19 and date[4] == "-" and date[10] == "T", date
expected = {"sensorNumber": 1234, "version": 7, "address": 5, "fullLevel": 3500,
            "emptyLevel": 300, "outputResolutionBits": 10, "outputIntervalSeconds": 30}
assert saved == expected, saved
PY
echo "saved from sensor 1234: $(tr -d '\n' <"$file")"
cp "$file" "$workdir/good.json"
stop_program

# --- 2. Applied to a sensor of another number: the ticked values are taken, the levels not.
start_sim second --number 5678 --address 9 --full 2000 --empty 100 --resolution 100 --interval 0
start_program second
keys ctrl+shift+o
dialog=""
find_dialog() {
    dialog=$(xdotool search --onlyvisible --name '^Применить настройки$' 2>/dev/null | head -n1)
    [ -n "$dialog" ]
}
wait_for 150 find_dialog || fail "no dialog with the file's values"
xdotool windowfocus --sync "$dialog"
xdotool key Return  # "Записать отмеченное", with the boxes as they start
expect_box "Периодическая выдача данных: 30 сек — установлено"
said "Сетевой адрес: 5 — установлено" || fail "the summary does not name the address"
said "Полный бак" && fail "the levels were written to another sensor"
holds second 3=5 4=2000 5=100 8=200 9=30
echo "applied to sensor 5678: address and output settings taken, levels kept"
stop_program

# --- 3. Applied to a sensor of the same number: every value is taken.
start_sim third --number 1234 --address 200 --full 2500 --empty 250 --resolution 100 --interval 300
start_program third
# This time through the menu band: "Настройки" (at 536, 2 in the band, which lies at 8, 0 and
# has a 1-pixel frame), then its second entry.
# Keys that arrive before the menu shows do nothing in the main window, so a late menu is
# tried again.
for _ in 1 2 3; do
    xdotool windowfocus --sync "$main_window"
    xdotool mousemove --window "$main_window" 585 13 click 1
    sleep 0.5
    xdotool key Down Down Return
    wait_for 50 find_dialog && break
    xdotool key Escape
done
find_dialog || fail "the settings menu opened no dialog with the file's values"
xdotool windowfocus --sync "$dialog"
xdotool key Return
expect_box "Пустой бак: 300 — установлено"
holds third 3=5 4=3500 5=300 8=200 9=30
echo "applied to sensor 1234: every value taken"

# --- 4. A bad file is refused before anything is written.
writes_before=$(grep -c 'request 02' "$workdir/third.log" || true)
printf '{"sensorNumber": 1234, "date": "2026-12-10", "address": 7, "pump": 1}' >"$file"
keys ctrl+shift+o
expect_box "Файл настроек $file не принят: неизвестный ключ «pump». В датчик ничего не записано."
[ "$(grep -c 'request 02' "$workdir/third.log" || true)" -eq "$writes_before" ] ||
    fail "a refused file wrote to the sensor"
holds third 3=5 4=3500 5=300 8=200 9=30
echo "a file with an unknown key was refused, nothing written"

# --- 5. A file that cannot be written is told, and nothing else is left in its place.
rm -f "$file"
mkdir "$file"
keys ctrl+shift+s
expect_box "Настройки не сохранены в файл $file:"
[ -z "$(ls -A "$file")" ] && [ "$(ls "$workdir" | grep -c '^settings\.json.')" -eq 0 ] ||
    fail "a failed save left something behind: $(ls -A "$workdir")"
rmdir "$file"
echo "a file that cannot be written was told"

# --- 6. A sensor that stops answering leaves no file.
rm -f "$file"
kill -STOP "$sim_pid"
keys ctrl+shift+s
expect_box "Датчик не отвечает: настройки не прочитаны. Файл не записан."
[ ! -e "$file" ] || fail "a file was written for a sensor that did not answer"
echo "a silent sensor gave no file"
cp "$workdir/good.json" "$file"
keys ctrl+shift+o
expect_box "Датчик не отвечает: настройки из файла $file не записаны."
find_dialog && fail "the values were offered for a sensor that did not answer"
kill -CONT "$sim_pid"
holds third 3=5 4=3500 5=300 8=200 9=30
echo "nothing was offered to a silent sensor"
stop_program
echo "1 passed, 0 failed"
