#!/usr/bin/env bash
# The installation report through the real program on a private X server, driven with xdotool
# and judged by the PDF it writes: read with pdftotext, its pages drawn with pdftoppm.
# One connected simulator with a calibrated tank, a file that cannot be written, another sensor
# put on the same adapter, a silent simulator, and a table that runs onto a second page, that
# one in English. HOME and the XDG folders are private; a stand-in xdg-open records what the
# program asks the desktop to open instead of opening a viewer.
# Usage: run-report.sh <program> <dut-sensor-sim> [folder to keep the pages' PNGs in]
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
not_shown() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
find_window() {
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [ -n "$window" ]
}
# The windows' titles in the language of the program under test.
report_title='Отчёт об установке'
save_title='Сохранить отчёт'
open_report() {
    xdotool windowfocus --sync "$main_window"
    xdotool key ctrl+p
    wait_for 100 find_window "$report_title" || fail "Ctrl+P opened no report window"
    report_window="$window"
}
# Ctrl+S in the report window, the file typed into the dialog.
save_report() {
    xdotool windowfocus --sync "$report_window"
    xdotool key ctrl+s
    wait_for 100 find_window "$save_title" || fail "no save dialog"
    xdotool windowfocus --sync "$window"
    xdotool key ctrl+a
    xdotool type --delay 5 "$1"
    xdotool key Return
}
text_of() { pdftotext -layout "$1" -; }
# One page's text, its blanks and line breaks made one, so a wrapped sentence reads whole.
flat_page() { pdftotext -layout -f "$2" -l "$2" "$1" - | tr -s ' \n' '  '; }
# A row of the calibration table as pdftotext sets it: number, litres, level, the sensor's code.
table_row='^ *[0-9]+ +[0-9]+ +[0-9]+ +(—|[0-9]+)'
# Every page carries the report's heading and "$3 N $4 M"; the signatures share the last page
# with rows of the table (or, with no table, with the tank's paragraph).
check_pages() {
    local pdf="$1" heading="$2" page_word="$3" of_word="$4" signed="$5" pages
    pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
    for p in $(seq 1 "$pages"); do
        flat_page "$pdf" "$p" | grep -qF "$heading" || fail "page $p of $pdf has no heading"
        flat_page "$pdf" "$p" | grep -qF "$page_word $p $of_word $pages" ||
            fail "page $p of $pdf is not numbered '$page_word $p $of_word $pages'"
    done
    local last
    last=$(pdftotext -layout -f "$pages" -l "$pages" "$pdf" -)
    grep -qF "$signed" <<<"$last" || fail "the signatures are not on the last page of $pdf"
    if [ "$pages" -gt 1 ]; then
        grep -Eq "$table_row" <<<"$last" || fail "the signatures stand alone on page $pages"
    fi
    echo "$pdf: $pages pages, each headed and numbered"
}
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
first_sensor=$!
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
check_pages "$pdf" 'Отчёт об установке датчика уровня топлива' 'стр.' 'из' 'Установку выполнил:'
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

# --- 3. Another sensor on the same adapter: the program reconnects to 5678, and its report
# leaves out the table of 1234 and says why.
kill "$first_sensor"
wait "$first_sensor" 2>/dev/null || true
"$simulator" --link "$workdir/sensor" --number 5678 --verbose >/dev/null 2>"$workdir/sim3.log" &
pids+=($!)
other_connected() { grep -q '^rx 00 00 00 00 BB CF 58 00 01 0A' "$workdir/sim3.log"; }
wait_for 150 other_connected || fail "the program never connected to the second sensor"
save_report "$workdir/other.pdf"
wait_for 100 test -s "$workdir/other.pdf" || fail "no report from the second sensor"
pdf="$workdir/other.pdf"
has_line "$pdf" 'Номер датчика' '5678'
flat_page "$pdf" 1 | grep -qF 'Таблица тарировки этого сеанса снята с датчика № 1234, а не с датчика № 5678 этого отчёта, и в отчёт не включена.' ||
    fail "the report does not say why the table is left out: $(text_of "$pdf")"
! text_of "$pdf" | grep -Eq "ДУТ № 1234|$table_row|точек," ||
    fail "the table of 1234 stands in the report of 5678: $(text_of "$pdf")"
check_pages "$pdf" 'Отчёт об установке датчика уровня топлива' 'стр.' 'из' 'Установку выполнил:'
echo "the report of the second sensor leaves the first one's table out and says so"
stop_program

# --- 3. A silent sensor: every value says so, nothing is invented.
"$simulator" --link "$workdir/silent" --silent >/dev/null 2>"$workdir/sim2.log" &
pids+=($!)
wait_for 50 test -e "$workdir/silent" || fail "the silent simulator made no device"
start_program "$workdir/silent"
open_report
# The first read's 16 attempts, then the question: Escape keeps the page unsaved.
save_report "$workdir/declined.pdf"
wait_for 300 find_window 'Датчик не ответил' || fail "no question before a page without values"
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_for 50 not_shown 'Датчик не ответил' || fail "Escape did not close the question"
# Asked again, its other button saves the page.
save_report "$workdir/silent.pdf"
wait_for 300 find_window 'Датчик не ответил' || fail "no question the second time"
xdotool windowfocus --sync "$window"
xdotool key Tab space
wait_for 100 test -s "$workdir/silent.pdf" || fail "no report from the silent sensor"
test ! -e "$workdir/declined.pdf" || fail "the declined page was saved all the same"
echo "a page without values was saved only once the question was answered so"
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
stop_program

# --- 5. In English, nine points: the table runs onto a second page, the last rows go with the
# signatures, and both pages carry the heading and their number.
{
    printf 'dut-tank-session 1\ntank\tMain\nvehicle\tAX777\nsensor\t1234\n'
    printf 'direction\tfilling\nstart\t0\n'
    for i in 0 1 2 3 4 5 6 7 8; do
        printf 'point\t%d\t%d\t-\t%d\n' $((i * 50)) $((i == 8 ? 4095 : i * 500)) \
            $((1765000000 + i * 100))
    done
    printf 'end\t9\n'
} >"$XDG_DATA_HOME/Brindolex/dut-configurator/tank-calibration.session"
"$simulator" --link "$workdir/english" --verbose >/dev/null 2>"$workdir/sim5.log" &
pids+=($!)
wait_for 50 test -e "$workdir/english" || fail "the fifth simulator made no device"
start_program --lang en "$workdir/english"
english_connected() { grep -q '^rx 00 00 00 00 BB CF 58 00 01 0A' "$workdir/sim5.log"; }
wait_for 150 english_connected || fail "the English program never connected"
xdotool windowfocus --sync "$main_window"
xdotool key ctrl+t
wait_for 100 find_window 'Unfinished calibration' || fail "the nine points were not offered"
xdotool windowfocus --sync "$window"
xdotool key Return
report_title='Installation report'
save_title='Save the report'
open_report
save_report "$workdir/long.pdf"
wait_for 100 test -s "$workdir/long.pdf" || fail "no English report"
pdf="$workdir/long.pdf"
pdfinfo "$pdf" | grep -Eq '^Pages: +2$' || fail "nine points did not take two pages"
check_pages "$pdf" 'Fuel level sensor installation report' 'page' 'of' 'Installed by:'
# The chart's axes end at a round value just past the data: 4500, not 5000; 400 l, not 500.
grep -Eq '(^| )4500( |$)' <(text_of "$pdf") || fail "the level axis does not end at 4500"
! grep -Eq '(^| )(5000|450|500\.0)( |$)' <(pdftotext -f 1 -l 1 -layout "$pdf" - | grep -Ev "$table_row") ||
    fail "an axis runs past a round value just beyond the data"
pdftoppm -r 50 -png "$pdf" "$workdir/long"
ls "$workdir"/long-*.png >/dev/null || fail "the pages could not be drawn"
if [ -n "$keep" ]; then cp "$workdir"/long-*.png "$keep/"; fi
echo "nine points in English: two pages, headed and numbered, the signatures with the last rows"
echo "1 passed, 0 failed"
