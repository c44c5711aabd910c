#!/usr/bin/env bash
# Cross-compiles the Qt-free parts (link layer, configurator logic, monitor core, files) and
# their tests for Windows with mingw-w64 (statically linked), then runs them under Wine,
# headless, in a throw-away prefix: the pure tests of the three parts (the configurator
# logic against scripted ports in memory), and the Win32 serial tests against simulated
# sensors on pseudo-terminals that the Wine registry maps to COM ports.
#
# Needs the native simulator (build/default/tools/sensor-sim/dut-sensor-sim, built here
# if missing; DUT_SENSOR_SIM overrides the path). Every wait is bounded.
# A test may be picked out with DUT_WINE_GTEST_FILTER (a --gtest_filter pattern).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

step() { printf '\n-- %s\n' "$*"; }
fail() {
  printf 'windows-tests: %s\n' "$*" >&2
  exit 1
}

# DUT_WINDOWS_BUILD_DIR puts the cross build elsewhere than the preset's folder.
build="${DUT_WINDOWS_BUILD_DIR:-$root/build/windows-cross}"
step "cross build (mingw-w64, preset windows-cross) in $build"
cmake --preset windows-cross -B "$build" >/dev/null
cmake --build "$build" -j2
bin="$build/tests/link"
pure_exe="$bin/link_pure_tests.exe"
serial_exe="$bin/win32/link_win32_serial_tests.exe"
config_exe="$build/tests/config/config_pure_tests.exe"
monitor_exe="$build/tests/monitor/dut_monitor_tests.exe"
files_exe="$build/tests/files/dut_files_tests.exe"
for exe in "$pure_exe" "$serial_exe" "$config_exe" "$monitor_exe" "$files_exe"; do
  [ -f "$exe" ] || fail "missing $exe"
done

sim="${DUT_SENSOR_SIM:-$root/build/default/tools/sensor-sim/dut-sensor-sim}"
if [ ! -x "$sim" ]; then
  step "native simulator"
  [ -f build/default/build.ninja ] || cmake --preset default >/dev/null
  cmake --build --preset default --target dut-sensor-sim
  sim="$root/build/default/tools/sensor-sim/dut-sensor-sim"
fi
[ -x "$sim" ] || fail "no simulator at $sim"
command -v wine >/dev/null || fail "wine is not installed (scripts/install-deps.sh)"

work=$(mktemp -d "${TMPDIR:-/tmp}/dut-wine.XXXXXX")
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export HOME="${HOME:-$work}"
# No window is ever needed; keep Wine away from any X server that happens to run.
unset DISPLAY WAYLAND_DISPLAY
sim_pids=()

cleanup() {
  local pid
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${sim_pids[@]}"; do
    timeout 5 tail --pid="$pid" -f /dev/null 2>/dev/null || kill -9 "$pid" 2>/dev/null || true
  done
  if [ -d "$WINEPREFIX" ]; then
    timeout 10 wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

step "Wine prefix in $WINEPREFIX"
timeout 120 wineboot -i </dev/null >"$work/wineboot.log" 2>&1 || {
  cat "$work/wineboot.log" >&2
  fail "wineboot -i failed or took longer than 120 s"
}
timeout 60 wineserver -w || fail "the wineserver did not settle after wineboot"

# The simulated sensors, one per COM port. The normal one holds a known sensor number and
# raw value, which the serial tests expect.
mkdir -p "$work/dev"
start_sim() {
  local name=$1
  shift
  "$sim" --link "$work/dev/$name" "$@" </dev/null >"$work/$name.log" 2>&1 &
  sim_pids+=("$!")
  local i
  for i in $(seq 100); do
    [ -L "$work/dev/$name" ] && grep -q '^device: ' "$work/$name.log" && return 0
    sleep 0.1
  done
  cat "$work/$name.log" >&2
  fail "simulator '$name' did not come up within 10 s"
}
start_sim sensor --number 4321 --raw 1234
start_sim badcrc --bad-crc-every 3
start_sim silent --silent

step "COM ports: COM5 normal, COM6 bad CRC every third answer, COM7 silent"
map_port() {
  timeout 60 wine reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f \
    </dev/null >/dev/null 2>&1 || fail "could not map $1 to $2"
}
map_port COM5 "$work/dev/sensor"
map_port COM6 "$work/dev/badcrc"
map_port COM7 "$work/dev/silent"
# Wine creates the dosdevices links (which QueryDosDevice lists) when it starts anew.
timeout 30 wineserver -k || true
timeout 30 wineserver -w || true

run_exe() {
  local exe=$1 log=$2 rc=0
  step "wine $(basename "$exe")"
  timeout 150 wine "$exe" ${DUT_WINE_GTEST_FILTER:+--gtest_filter="$DUT_WINE_GTEST_FILTER"} \
    </dev/null >"$log" 2>&1 || rc=$?
  tr -d '\r' <"$log"
  if [ "$rc" -eq 124 ]; then
    fail "$(basename "$exe") did not finish within 150 s"
  elif [ "$rc" -ne 0 ]; then
    fail "$(basename "$exe") failed (exit $rc)"
  fi
  grep -q '^\[  PASSED  \]' <(tr -d '\r' <"$log") || fail "$(basename "$exe") reported no pass"
}

export DUT_WINE_COM=COM5 DUT_WINE_COM_BADCRC=COM6 DUT_WINE_COM_SILENT=COM7
run_exe "$pure_exe" "$work/pure.log"
run_exe "$config_exe" "$work/config.log"
run_exe "$monitor_exe" "$work/monitor.log"
run_exe "$files_exe" "$work/files.log"
run_exe "$serial_exe" "$work/serial.log"

for port in com5 com6 com7; do
  [ -L "$WINEPREFIX/dosdevices/$port" ] || fail "Wine made no dosdevices link for $port"
done
# Only the exclusive-open case may be skipped here: Wine does not enforce it.
skipped=$(tr -d '\r' <"$work/serial.log" | sed -n 's/^\[  SKIPPED \] \([A-Za-z0-9_]*\.[A-Za-z0-9_]*\).*/\1/p' |
  sort -u | grep -v '^Win32Open\.SecondOpenOfAHeldPortFails$' || true)
[ -z "$skipped" ] || fail "serial tests skipped unexpectedly: $skipped"
# The in-memory tests depend on nothing Wine lacks: none of them may skip.
for log in pure config monitor files; do
  if tr -d '\r' <"$work/$log.log" | grep -q '^\[  SKIPPED \]'; then
    fail "$log tests skipped a case"
  fi
done

step "Windows tests passed under Wine (link, configurator logic, monitor core, files)"
