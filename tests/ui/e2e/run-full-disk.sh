#!/usr/bin/env bash
# Saves onto a full disk through the real program on a private X server: the data folder and
# the files saved lie on a small tmpfs that is then filled. A point recorded in the tank
# window, the table exported over an older CSV and a sensor's settings saved over an older file
# must each say that nothing was saved, with the system's reason, and leave the older file
# whole. The window's words are read through the accessibility bus (run under dbus-run-session).
# Mounting needs root: elsewhere the test says so and ends with 77, which ctest counts skipped.
# Usage: run-full-disk.sh <program> <dut-sensor-sim>
set -euo pipefail
program="$1"
simulator="$2"
here="$(dirname "$0")"

# shellcheck source=x-session.sh
source "$here/x-session.sh"

disk="$workdir/disk"
mkdir -p "$disk"
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: not root, so no small tmpfs can be mounted to fill"
    exit 77
fi
if ! mount -t tmpfs -o size=256k tmpfs "$disk" 2>"$workdir/mount.err"; then
    echo "SKIPPED: mount -t tmpfs refused: $(cat "$workdir/mount.err")"
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

# Only the data folder and the saved files are on the small disk; the settings are not.
export HOME="$workdir/home"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_DATA_HOME="$disk/data"
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
session_dir="$XDG_DATA_HOME/brindolex-dut-configurator"
session="$session_dir/tank-calibration.session"
csv="$disk/table.csv"
settings="$disk/settings.json"

fail() {
    echo "FAILED: $*" >&2
    echo "--- program log" >&2
    tail -n 20 "$workdir/program.log" >&2 || true
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
QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    DUT_SETTINGS_FILE="$settings" "$program" "$workdir/steady" >"$workdir/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
wait_for 150 find_main_window || fail "no main window"
wait_for 150 grep -q 'request 01 0A answered' "$workdir/sim.log" || fail "never connected"

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

# --- Before the disk fills: two points, a CSV and a settings file are saved as usual.
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
[ "$(ls -A "$session_dir")" = "tank-calibration.session" ] ||
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
