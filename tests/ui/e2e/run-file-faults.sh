#!/usr/bin/env bash
# The program's files against what a user's disk can hold, through the real program on a
# private X server; the window's words are read through the accessibility bus (run under
# dbus-run-session).
# 1. Things that are no files: a pipe where the session file should be, a pipe as the settings
#    file, /dev/zero and a pipe offered to the CSV import. Each is refused with its reason and
#    nothing waits on it (the sensor is still polled); a UTF-16 table is imported.
# 2. A full disk: the data folder and the saved files lie on a small tmpfs that is then filled.
#    A point recorded in the tank window, the table exported over an older CSV and a sensor's
#    settings saved over an older file must each say that nothing was saved, with the system's
#    reason, and leave the older file whole. Mounting needs root: elsewhere the test says so
#    and ends with 77 (after the first half), which ctest counts skipped.
# Usage: run-file-faults.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"
here="$(dirname "$0")"

# shellcheck source=x-session.sh
source "$here/x-session.sh"

disk="$workdir/disk"
mkdir -p "$disk"

# The second half puts the data folder and the saved files on the small disk; the settings stay here.
export HOME="$workdir/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$workdir/data"
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
session_dir="$XDG_DATA_HOME/Brindolex/dut-configurator"
session="$session_dir/tank-calibration.session"
settings="$workdir/settings.fifo"

fail() {
    echo "FAILED: $*" >&2
    echo "--- program log" >&2
    tail -n 20 "$workdir/program.log" >&2 || true
    echo "--- the sensor's last requests" >&2
    tail -n 5 "$workdir/sim.log" >&2 || true
    echo "--- the accessibility bus" >&2
    tail -n 5 "$workdir/labels.err" >&2 || true
    echo "--- the disk" >&2
    ls -laR "$disk" >&2 || true
    exit 1
}

start_xvfb || fail "Xvfb reported no display"

"$simulator" --link "$workdir/steady" --raw 1834 --number 1234 --log "$workdir/sim.log" \
    >/dev/null 2>"$workdir/sim.err" &
pids+=($!)
wait_for 50 test -e "$workdir/steady" || fail "the simulator made no device"
program_pid=""
start_program() {
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        DUT_SETTINGS_FILE="$settings" "$program" "$workdir/steady" >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    wait_for 150 find_main_window || fail "no main window"
    wait_for 150 grep -q 'request 01 0A answered' "$workdir/sim.log" || fail "never connected"
}
stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
}

window=""
find_window() {
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$window" ]
}
# What the tank window says now, read as a screen reader reads it.
tank_says() {
    /usr/bin/python3 "$here/fault_matrix/window_labels.py" "$program_pid" 'Тарировка бака' \
        2>"$workdir/labels.err"
}
requests() { grep -c '^request\|request ' "$workdir/sim.log" || true; }
polled_since() { [ "$(requests)" -gt "$1" ]; }
# The main window still polls the sensor: more requests come within 5 s.
still_polling() {
    local before
    before=$(requests)
    wait_for 50 polled_since "$before" || fail "the sensor is no longer polled: $1"
}
# Offers $1 to the CSV import of the tank window.
import_from() {
    xdotool windowfocus --sync "$tank_window"
    xdotool key ctrl+o
    wait_for 100 find_window 'Импорт таблицы тарировки' || fail "no import dialog"
    xdotool windowfocus --sync "$window"
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    xdotool key Return
}
# Closes the box of that title, once it shows.
close_box_titled() {
    wait_for 100 find_window "$1" || fail "no box '$1'"
    xdotool windowfocus --sync "$window"
    xdotool key Return
    wait_for 50 bash -c "! xdotool search --onlyvisible --name '^$1\$' >/dev/null" ||
        fail "the box '$1' did not close"
}
tank_said() { tank_says | grep -qF -- "$1"; }
box=""
find_box() {
    box=$(xdotool search --onlyvisible --name '^ Brindolex DUT configurator v1\.0$' 2>/dev/null |
        head -n1)
    [ -n "$box" ]
}
said() { grep -qF -- "$1" "$workdir/program.log"; }
# Waits for the program to say $1 in a box, then closes it.
expect_box() {
    wait_for 200 said "$1" || fail "the program never said: $1"
    wait_for 100 find_box || fail "no message box for: $1"
    xdotool windowfocus --sync "$box"
    xdotool key Return
    wait_for 50 bash -c '! xdotool search --onlyvisible --name "^ Brindolex DUT configurator v1\.0$"' ||
        fail "the box did not close"
}
points() {
    if [ -e "$session" ]; then grep -c '^point' "$session" || true; else echo 0; fi
}
# Enter until the session holds $1 points (a press while the level settles is refused).
record_until() {
    for _ in $(seq 1 60); do
        [ "$(points)" -ge "$1" ] && break
        xdotool windowfocus --sync "$tank_window"
        xdotool key Return
        wait_for 5 test "$(points)" -ge "$1" && break
    done
    [ "$(points)" -eq "$1" ] || fail "wanted $1 points in the session file, found $(points)"
}
# Types a path into the export dialog; an existing file is replaced (the dialog asks first).
export_to() {
    xdotool windowfocus --sync "$tank_window"
    xdotool key ctrl+s
    wait_for 100 find_window 'Экспорт таблицы тарировки' || fail "no export dialog"
    local dialog="$window"
    xdotool windowfocus --sync "$dialog"
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    local existed=no
    [ -e "$1" ] && existed=yes
    xdotool key Return
    if [ "$existed" = yes ]; then
        # The question whether to replace it is a box of the same title over the dialog.
        wait_for 50 bash -c "[ \$(xdotool search --onlyvisible --name '^Экспорт таблицы тарировки\$' | wc -l) -ge 2 ]" ||
            fail "the export dialog did not ask whether to replace $1"
        xdotool key Cyrillic_de  # "&Да", the Russian "Yes" 
    fi
    wait_for 100 bash -c "! xdotool search --onlyvisible --name '^Экспорт таблицы тарировки\$' >/dev/null" ||
        fail "the export dialog did not close"
}
# The system's reason in English or in Russian, whichever the program's C library speaks.
no_space='No space left on device\|На устройстве не осталось свободного места'

# --- 1. Things that are no files. The session file is a pipe at the start, and so is the
# settings file.
mkdir -p "$session_dir"
mkfifo "$session_dir/tank-calibration.session" "$settings"
start_program
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 said 'Файл сеанса тарировки не читается (это канал (FIFO), а не файл). Он отложен как' ||
    fail "the pipe in place of the session file was not refused with its reason"
close_box_titled 'Файл сеанса тарировки не читается'
wait_for 100 find_window 'Тарировка бака' || fail "no tank window after the message"
tank_window="$window"
[ -p "$(ls "$session_dir"/tank-calibration.session.damaged-* | head -n1)" ] ||
    fail "the pipe was not set aside"
still_polling "after the session pipe"
echo "a pipe as the session file: refused with its reason and set aside, the sensor still polled"

for thing in /dev/zero "$workdir/table.fifo"; do
    [ "$thing" = /dev/zero ] || mkfifo "$thing"
    import_from "$thing"
    # The window says it first, then shows the same in a box of the dialog's title.
    wait_for 50 tank_said "Файл $thing не принят" || fail "$thing was not refused: $(tank_says)"
    tank_says >"$workdir/tank-says" || true
    close_box_titled 'Импорт таблицы тарировки'
    grep -q "Файл $thing не принят: это \(устройство\|канал (FIFO)\), а не файл. Текущая таблица не изменена." \
        "$workdir/tank-says" || fail "$thing was not refused with its reason: $(cat "$workdir/tank-says")"
    still_polling "after importing $thing"
done
echo "/dev/zero and a pipe offered to the import: refused with their reasons, nothing waited on"

/usr/bin/python3 -c '
import sys
text = "# Бак: Левый; ДУТ № 1234\r\nУровень;Литры\r\n12;0\r\n400;10,5\r\n"
open(sys.argv[1], "wb").write(b"\xff\xfe" + text.encode("utf-16-le"))' "$workdir/unicode.csv"
import_from "$workdir/unicode.csv"
wait_for 50 tank_said "Загружено 2 точек из $workdir/unicode.csv" ||
    fail "the UTF-16 table was not imported: $(tank_says)"
echo "a UTF-16 table with its mark imported"

xdotool windowfocus --sync "$main_window"
xdotool key ctrl+shift+o
expect_box "Файл настроек $settings не читается: это канал (FIFO), а не файл"
still_polling "after the settings pipe"
echo "a pipe as the settings file: refused with its reason, the sensor still polled"
stop_program
rm -rf "$session_dir" "$settings"

if [ "$(id -u)" -ne 0 ]; then
    echo "the things that are no files passed; SKIPPED the full disk: not root, so no small tmpfs can be mounted"
    exit 77
fi
if ! mount -t tmpfs -o size=256k tmpfs "$disk" 2>"$workdir/mount.err"; then
    echo "the things that are no files passed; SKIPPED the full disk: mount -t tmpfs refused: $(cat "$workdir/mount.err")"
    exit 77
fi
# The tmpfs goes before the folder under it is removed.
unmount_then_clean() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    umount "$disk" 2>/dev/null || umount -l "$disk" || true
    cleanup
}
trap unmount_then_clean EXIT

# --- 2. A full disk. Before it fills: two points, a CSV and a settings file are saved.
export XDG_DATA_HOME="$disk/data"
session_dir="$XDG_DATA_HOME/Brindolex/dut-configurator"
session="$session_dir/tank-calibration.session"
csv="$disk/table.csv"
settings="$disk/settings.json"
start_program
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 find_window 'Тарировка бака' || fail "Ctrl+T opened no tank calibration window"
tank_window="$window"
record_until 1
record_until 2
wait_for 50 tank_said 'Записана точка 2' || fail "the window did not say point 2 was recorded: $(tank_says)"
export_to "$csv"
wait_for 50 test -s "$csv" || fail "the first export wrote nothing"
wait_for 50 tank_said 'Таблица выгружена' || fail "the first export was not told: $(tank_says)"
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+shift+s
expect_box "Настройки ДУТ № 1234 сохранены в файл $settings."
cp "$session" "$workdir/session.before"
cp "$csv" "$workdir/csv.before"
cp "$settings" "$workdir/settings.before"
echo "two points, a CSV and the settings saved on the small disk"

# --- The disk fills up.
dd if=/dev/zero of="$disk/fill" bs=4k 2>/dev/null || true
[ "$(df --output=avail -k "$disk" | tail -n1 | tr -d ' ')" -eq 0 ] || fail "the disk is not full"

# A point recorded now is taken into the table but cannot be saved: the window says so, with
# the system's reason, and never that it was recorded.
# Pressed until the window answers the press (one while the level settles is refused).
for _ in $(seq 1 30); do
    xdotool windowfocus --sync "$tank_window"
    xdotool key Return
    sleep 0.3
    tank_says >"$workdir/tank-says" || true
    grep -q 'Таблица не сохранена в файл сеанса\|Записана точка 3' "$workdir/tank-says" && break
done
grep -qF "Таблица не сохранена в файл сеанса $session: запись не удалась: " "$workdir/tank-says" ||
    fail "the window did not say the point was not saved: $(cat "$workdir/tank-says")"
grep -q "$no_space" "$workdir/tank-says" || fail "no system reason: $(cat "$workdir/tank-says")"
grep -qF 'Записана точка 3' "$workdir/tank-says" && fail "a point not saved was told recorded"
cmp -s "$session" "$workdir/session.before" || fail "the old session file was not kept whole"
# The window's lock on its session stands beside it while the window is open.
[ "$(ls -A "$session_dir" | grep -vx 'tank-calibration.session.lock')" = "tank-calibration.session" ] ||
    fail "the failed save left something behind: $(ls -A "$session_dir")"
echo "a point on the full disk: not saved, told with the reason, the old session kept whole"

# The export over the older CSV.
export_to "$csv"
wait_for 50 tank_said "Таблица не выгружена в $csv: запись не удалась: " ||
    fail "the failed export was not told: $(tank_says)"
tank_says | grep -q "$no_space" || fail "the failed export gave no system reason: $(tank_says)"
tank_said 'Таблица выгружена:' && fail "a failed export was told done"
cmp -s "$csv" "$workdir/csv.before" || fail "the old CSV was not kept whole"
echo "the export on the full disk: told with the reason, the old CSV kept whole"

# The settings over the older file.
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+shift+s
expect_box "Настройки не сохранены в файл $settings: запись не удалась: "
grep -q "Настройки не сохранены в файл .*: запись не удалась: \($no_space\)" "$workdir/program.log" ||
    fail "the failed settings save gave no system reason"
[ "$(grep -cF "Настройки ДУТ № 1234 сохранены в файл" "$workdir/program.log")" -eq 1 ] ||
    fail "a failed settings save was told done"
cmp -s "$settings" "$workdir/settings.before" || fail "the old settings file was not kept whole"
[ "$(ls -A "$disk" | sort | tr '\n' ' ')" = "data fill settings.json table.csv " ] ||
    fail "the failed saves left something behind: $(ls -A "$disk")"
echo "the settings on the full disk: told with the reason, the old file kept whole"
echo "1 passed, 0 failed"
