#!/usr/bin/env bash
# The installation report through the real program on a private X server, driven with xdotool
# and judged by the PDF it writes: read with pdftotext, its first page drawn with pdftoppm.
# One connected simulator with a calibrated tank, a file that cannot be written, and a silent
# simulator. HOME and the XDG folders are private; a stand-in xdg-open records what the
# program asks the desktop to open instead of opening a viewer.
# Usage: run-report.sh <program> <dut-sensor-sim> [folder to keep the first page's PNG in]
set -euo pipefail
program="$1"
simulator="$2"
keep="${3:-}"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

export HOME="$workdir/home"
export XDG_DATA_HOME="$HOME/.local/share"
export XDG_CONFIG_HOME="$HOME/.config"
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -p "$XDG_DATA_HOME/Brindolex/dut-configurator" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" \
    "$workdir/bin"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$workdir/bin/xdg-open" <<SH
#!/bin/sh
printf '%s\n' "\$1" >>"$workdir/opened"
SH
chmod +x "$workdir/bin/xdg-open"
export PATH="$workdir/bin:$PATH"

fail() {
    echo "FAILED: $*" >&2
    echo "--- windows shown" >&2
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        xdotool getwindowname "$w" >&2 || true
    done
    echo "--- program log" >&2
    tail -n 20 "$workdir/program.log" >&2 || true
    # A modal dialog left open holds the program's close: it goes without one.
    [ -z "$program_pid" ] || kill -9 "$program_pid" 2>/dev/null || true
    exit 1
}

program_pid=""
start_xvfb || fail "Xvfb reported no display"

start_program() {
    QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" "$@" >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    wait_for 150 find_main_window || fail "no main window"
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
open_report() {
    xdotool windowfocus --sync "$main_window"
    xdotool key ctrl+p
    wait_for 100 find_window 'Отчёт об установке' || fail "Ctrl+P opened no report window"
    report_window="$window"
}
# Ctrl+S in the report window, the file typed into the dialog.
save_report() {
    xdotool windowfocus --sync "$report_window"
    xdotool key ctrl+s
    wait_for 100 find_window 'Сохранить отчёт' || fail "no save dialog"
    xdotool windowfocus --sync "$window"
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    xdotool key Return
}
text_of() { pdftotext -layout "$1" -; }
# The label and its value on one line of the page.
has_line() {
    grep -Eq "^ *$2:? +$3 *\$" <(text_of "$1") || fail "$1 has no line '$2 $3': $(text_of "$1")"
}

# The installer's details as the last session left them; the plate is typed below.
settings="$XDG_CONFIG_HOME/Brindolex/dut-configurator.conf"
mkdir -p "$(dirname "$settings")"
cat >"$settings" <<'INI'
[report]
Installer=Петров Пётр
Company=ООО Топливный контроль
Model=КАМАЗ 65115
Tank="Основной, 350 л"
INI
# An unfinished calibration: five points, the fourth one marked (its level does not rise).
{
    printf 'dut-tank-session 1\ntank\tОсновной\nvehicle\tА123ВС\nsensor\t1234\n'
    printf 'direction\tfilling\nstart\t0\n'
    printf 'point\t0\t0\t200\t1765000000\npoint\t10\t1100\t-\t1765000100\n'
    printf 'point\t20\t2150\t-\t1765000200\npoint\t30\t2100\t-\t1765000300\n'
    printf 'point\t40\t4000\t-\t1765000400\nend\t5\n'
} >"$XDG_DATA_HOME/Brindolex/dut-configurator/tank-calibration.session"

# --- 1. A connected simulator and a calibrated tank.
"$simulator" --link "$workdir/sensor" --raw 1834 --verbose >/dev/null 2>"$workdir/sim.log" &
pids+=($!)
wait_for 50 test -e "$workdir/sensor" || fail "the simulator made no device"
start_program "$workdir/sensor"
version_read() { grep -q '^rx 00 00 00 00 BB CF 58 00 01 0A' "$workdir/sim.log"; }
wait_for 150 version_read || fail "the program never connected"
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 find_window 'Незавершённая тарировка' || fail "the session's table was not offered"
xdotool windowfocus --sync "$window"
xdotool key Return
wait_for 100 find_window 'Тарировка бака' || fail "no tank window"

open_report
# Tab from the installer's name to the plate, past the company and the model.
xdotool key Tab Tab
xdotool type --delay 5 "AX777"
save_report "$workdir/connected.pdf"
wait_for 100 test -s "$workdir/connected.pdf" || fail "no report written"
wait_for 50 test -s "$workdir/opened" || fail "the report was not handed to the viewer"
grep -qx "file://$workdir/connected.pdf\|$workdir/connected.pdf" "$workdir/opened" ||
    fail "the viewer was asked to open $(cat "$workdir/opened")"
pdf="$workdir/connected.pdf"
text_of "$pdf" | grep -q 'Отчёт об установке датчика уровня топлива' || fail "no title"
has_line "$pdf" 'Дата и время' '[0-3][0-9]\.[01][0-9]\.20[0-9][0-9] [0-2][0-9]:[0-5][0-9]'
has_line "$pdf" 'Установщик' 'Петров Пётр'
has_line "$pdf" 'Организация' 'ООО Топливный контроль'
has_line "$pdf" 'Госномер ТС' 'AX777'
has_line "$pdf" 'Модель ТС' 'КАМАЗ 65115'
has_line "$pdf" 'Бак' 'Основной, 350 л'
has_line "$pdf" 'Номер датчика' '1234'
has_line "$pdf" 'Версия' '7'
has_line "$pdf" 'Сетевой адрес' '1'
has_line "$pdf" 'Полный бак' '3000'
has_line "$pdf" 'Пустой бак' '200'
has_line "$pdf" 'Разрешение выхода' '12 бит \(0…4095\)'
has_line "$pdf" 'Интервал выдачи' 'выключена'
has_line "$pdf" '5 точек,' 'заливка; бак «Основной», ТС «А123ВС», ДУТ № 1234'
has_line "$pdf" '4' '30 +2100 +— +.+'
has_line "$pdf" '5' '40 +4000 +—'
text_of "$pdf" | grep -q 'Установку выполнил:' || fail "no signature line"
pdfinfo "$pdf" | grep -Eq '^Pages: +1$' || fail "five points and the signature take more than a page"
! text_of "$pdf" | grep -q 'нет ответа' || fail "a connected sensor was reported silent"
grep -q '^Plate=AX777$' "$settings" || fail "the typed plate was not kept: $(cat "$settings")"
echo "the connected report holds the sensor's values, the details and the table"

# The first page: A4, drawn, the chart in its place.
pdfinfo "$pdf" | grep -Eq '^Page size: +595(\.[0-9]+)? x 84[12](\.[0-9]+)? pts \(A4\)' ||
    fail "not an A4 page: $(pdfinfo "$pdf")"
pdftoppm -r 50 -gray -f 1 -l 1 "$pdf" "$workdir/page"
python3 - "$workdir"/page-1.pgm <<'PY' || fail "the first page is not drawn as a report"
import sys
data = open(sys.argv[1], "rb").read()
parts = data.split(maxsplit=4)
assert parts[0] == b"P5", parts[0]
w, h = int(parts[1]), int(parts[2])
pixels = parts[4]
# A4 (210 x 297 mm) at 50 dots per inch, give or take the rounding up of a part pixel.
assert abs(w - 413) <= 1 and abs(h - 585) <= 1, (w, h)
dark = sum(1 for p in pixels if p < 128)
print(f"{w} x {h}, {dark} dark pixels")
assert dark > 3000, "nearly blank"
# The margins stay white: 15 mm is about 29 pixels here.
for y in list(range(0, 20)) + list(range(h - 20, h)):
    assert all(p > 200 for p in pixels[y * w:(y + 1) * w]), f"ink in the margin at row {y}"
PY
if [ -n "$keep" ]; then pdftoppm -r 60 -png -f 1 -l 1 -singlefile "$pdf" "$keep/report-page"; fi

# --- 2. A file that cannot be written: a clear message, and the form keeps what was typed.
# Its folder is a plain file: no one, not even root, writes there.
echo "not a folder" >"$workdir/plain"
save_report "$workdir/plain/otchet.pdf"
wait_for 100 find_window 'Отчёт не сохранён' || fail "no message about the unwritable file"
grep -q "Не удалось записать отчёт в файл «$workdir/plain/otchet.pdf»: " "$workdir/program.log" ||
    fail "the message does not name the file"
xdotool windowfocus --sync "$window"
xdotool key Return
save_report "$workdir/again.pdf"
wait_for 100 test -s "$workdir/again.pdf" || fail "no report after the refused file"
has_line "$workdir/again.pdf" 'Госномер ТС' 'AX777'
echo "an unwritable file was refused with its name and the form kept the plate"
stop_program

# --- 3. A silent sensor: every value says so, nothing is invented.
"$simulator" --link "$workdir/silent" --silent >/dev/null 2>"$workdir/sim2.log" &
pids+=($!)
wait_for 50 test -e "$workdir/silent" || fail "the silent simulator made no device"
start_program "$workdir/silent"
open_report
save_report "$workdir/silent.pdf"
# The first read's 16 attempts, then the report.
wait_for 300 test -s "$workdir/silent.pdf" || fail "no report from the silent sensor"
pdf="$workdir/silent.pdf"
for label in 'Номер датчика' 'Версия' 'Сетевой адрес' 'Полный бак' 'Пустой бак' \
    'Разрешение выхода' 'Интервал выдачи'; do
    has_line "$pdf" "$label" 'нет ответа датчика'
done
has_line "$pdf" 'Установщик' 'Петров Пётр'
has_line "$pdf" 'Госномер ТС' 'AX777'
text_of "$pdf" | grep -q 'Тарировка бака в этом сеансе не проводилась.' ||
    fail "the silent report does not say there is no table"
! text_of "$pdf" | grep -Eq '1234|3000' || fail "the silent report shows values from nowhere"
echo "the silent sensor's report says so for each of its values"
echo "1 passed, 0 failed"
