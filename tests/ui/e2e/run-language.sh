#!/usr/bin/env bash
# The language of the real program: Russian on a desktop that is not English, English on an
# English one, --lang over both, and the switch in the menu band: it changes an open window
# at once and is remembered for the next start. The settings live in a private home.
# Usage: run-language.sh <program>
set -euo pipefail
program="$1"

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"

fail() {
    echo "FAILED: $*" >&2
    tail -n 15 "$workdir/program.log" >&2 2>/dev/null || true
    exit 1
}

# The command line is answered before any window exists, in the language the windows would
# speak: the desktop's here, as no choice is remembered in this private home.
export HOME="$workdir/cli" XDG_CONFIG_HOME="$workdir/cli/.config"
usage_of() { env -u LC_ALL -u LC_MESSAGES LANG="$1" LANGUAGE="${1%%.*}" "$program" "${@:2}"; }
usage_of C.UTF-8 --help | grep -q '^Запуск: .* \[ПОРТ\]$' || fail "--help on a Russian desktop"
usage_of en_US.UTF-8 --help | grep -q '^Usage: .* \[PORT\]$' || fail "--help on an English desktop"
usage_of en_US.UTF-8 --lang ru --help | grep -q -- '^  --lang ru|en  язык окон' ||
    fail "--lang ru --help is not Russian"
status=0
usage_of C.UTF-8 --lang en --lang de 2>"$workdir/err" || status=$?
[ "$status" -eq 2 ] && grep -q -- "--lang takes ru or en, not 'de'" "$workdir/err" ||
    fail "--lang de ended with status $status: $(cat "$workdir/err")"
status=0
usage_of C.UTF-8 --bogus 2>"$workdir/err" || status=$?
[ "$status" -eq 2 ] && grep -q -- "неизвестный параметр '--bogus'" "$workdir/err" ||
    fail "--bogus ended with status $status: $(cat "$workdir/err")"
echo "--lang on the command line checked, and the usage in either language"

start_xvfb || fail "Xvfb reported no display"

use_home() {
    export HOME="$workdir/$1" XDG_CONFIG_HOME="$workdir/$1/.config"
    mkdir -p "$XDG_CONFIG_HOME"
}
program_pid=""
# The desktop's language for the program alone (the tools here keep this machine's locale).
desktop=(LANG=C.UTF-8 LANGUAGE=)
start_program() {
    env "${desktop[@]}" QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" "$@" \
        >"$workdir/program.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
    wait_for 150 find_main_window || fail "no main window"
}
stop_program() {
    kill "$program_pid"
    wait "$program_pid" 2>/dev/null || true
}
# Opens the exchange log (Ctrl+Shift+J); its caption is in the window's language.
# Read through the UTF-8 caption: where the program's locale is missing, its legacy caption
# property, which `xdotool search --name` also matches, cannot hold Cyrillic.
log_caption_is() {
    shown_windows | tr '|' '\n' | grep -qx "$1"
}
open_log_expecting() {
    # A window just mapped may not take keys yet: press again until a log window shows.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        xdotool windowfocus --sync "$main_window"
        xdotool key --window "$main_window" ctrl+shift+j
        if wait_for 10 any_log_shown; then break; fi
    done
    log_caption_is "$1" ||
        fail "the exchange log did not open as '$1' ($2); windows shown: $(shown_windows)"
    # Out of the way of the main window's menu band (no window manager places it).
    local id
    for id in $(xdotool search --onlyvisible --name .); do
        if [ "$(xdotool getwindowname "$id")" = "$1" ]; then xdotool windowmove "$id" 300 560; fi
    done
}
any_log_shown() {
    log_caption_is 'Журнал обмена' || log_caption_is 'Exchange log'
}
shown_windows() {
    xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' '|'
}
# The switch sits in the menu band at 620, 2 (37 x 20) of the band's inside, which starts
# one frame pixel into the band at 8, 0.
click_switch() {
    xdotool windowfocus --sync "$main_window"
    xdotool mousemove --window "$main_window" 647 13 click 1
}

# 1. A desktop that is not English (this machine's C locale): Russian.
use_home plain
start_program
open_log_expecting 'Журнал обмена' "C locale"
echo "a desktop that is not English: Russian"

# 2. The switch turns the open window English at once, without a restart.
click_switch
wait_for 50 log_caption_is 'Exchange log' || fail "the switch left the open window Russian"
grep -q '^language=en$' "$XDG_CONFIG_HOME"/Brindolex/dut-configurator.conf ||
    fail "the switch's choice was not saved: $(cat "$XDG_CONFIG_HOME"/*/*.conf 2>/dev/null)"
stop_program
echo "the switch: English at once, and saved"

# 3. The choice survives a restart; --lang overrides it for one run.
start_program
open_log_expecting 'Exchange log' "remembered English"
stop_program
start_program --lang ru
open_log_expecting 'Журнал обмена' "--lang ru over the remembered English"
stop_program
echo "remembered across a restart, --lang ru overrides it"

# 4. A fresh home on an English desktop: English; --lang ru gives Russian there.
use_home english
desktop=(LANG=en_US.UTF-8 LANGUAGE=en_US)
start_program
open_log_expecting 'Exchange log' "English desktop"
stop_program
start_program --lang ru
open_log_expecting 'Журнал обмена' "--lang ru on an English desktop"
stop_program
use_home third
desktop=(LANG=C.UTF-8 LANGUAGE=)
start_program --lang en
open_log_expecting 'Exchange log' "--lang en"
stop_program
echo "an English desktop: English; --lang ru and --lang en obeyed"
echo "4 passed, 0 failed"
