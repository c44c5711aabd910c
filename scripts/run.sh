#!/usr/bin/env bash
# Installs what the program needs (not the test tools), builds the configurator and starts
# it. With no USB serial adapter plugged in, a simulated sensor is started first and its
# device path is handed to the configurator, which connects to it at once.
# Ctrl+C or closing the window stops both.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run

cmake --preset default >/dev/null
cmake --build --preset default --target brindolex-dut-configurator dut-sensor-sim

build=build/default
app=$build/src/ui/brindolex-dut-configurator
sim=$build/tools/sensor-sim/dut-sensor-sim
sim_pid=""
port_argument=()

cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

adapters=$(ls /dev/ttyUSB* /dev/ttyACM* 2>/dev/null || true)
if [ -n "$adapters" ] && [ "${DUT_SIMULATOR:-auto}" != "always" ]; then
  echo "USB serial adapter(s) found: $adapters"
  echo "Pick one in the port box of the window."
else
  link="${XDG_RUNTIME_DIR:-/tmp}/dut-sensor"
  # The sensor stands in a lying cylinder of 400 litres; portions are poured from another
  # terminal with: echo "pour 50" > "${link}-control"
  "$sim" --link "$link" --tank-litres "${DUT_TANK_LITRES:-400}" --tank-shape cylinder \
    --control "${link}-control" >"${link}.log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done
  [ -e "$link" ] || { echo "the simulated sensor did not start; see ${link}.log" >&2; exit 1; }
  echo "Simulated sensor running on $link; the configurator connects to it at once."
  echo "Its tank is empty; pour from another terminal: echo \"pour 50\" > ${link}-control"
  port_argument=("$link")
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: start a desktop session (or Xvfb) to see the window." >&2
  [ -n "$sim_pid" ] && { echo "The simulated sensor keeps running until Ctrl+C."; wait "$sim_pid"; }
  exit 0
fi
"$app" "${port_argument[@]}"
