#!/usr/bin/env bash
# Builds the configurator and starts it. With no USB serial adapter plugged in, a
# simulated sensor is started first and its device path is printed for the user to
# type into the port box (or pick from the list). Ctrl+C or closing the window stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target brindolex-dut-configurator dut-sensor-sim

build=build/default
app=$build/src/ui/brindolex-dut-configurator
sim=$build/tools/sensor-sim/dut-sensor-sim
sim_pid=""

cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

adapters=$(ls /dev/ttyUSB* /dev/ttyACM* 2>/dev/null || true)
if [ -n "$adapters" ] && [ "${DUT_SIMULATOR:-auto}" != "always" ]; then
  echo "USB serial adapter(s) found: $adapters"
  echo "Pick one in the port box of the window."
else
  link="${XDG_RUNTIME_DIR:-/tmp}/dut-sensor"
  "$sim" --link "$link" >"${link}.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done
  [ -e "$link" ] || { echo "the simulated sensor did not start; see ${link}.log" >&2; exit 1; }
  echo "Simulated sensor running. Type this port into the port box of step 1; the"
  echo "configurator connects by itself within about two seconds:"
  echo
  echo "    $link"
  echo
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start a desktop session (or Xvfb) to see the window." >&2
  [ -n "$sim_pid" ] && { echo "The simulated sensor keeps running until Ctrl+C."; wait "$sim_pid"; }
  exit 0
fi
"$app"
