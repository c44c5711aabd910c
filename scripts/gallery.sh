#!/usr/bin/env bash
# Takes every window of the program in its principal states, in Russian and in English,
# through the real program beside the simulated sensor on a private 1366 x 768 screen at
# 96 dpi under openbox, to PNG files in build/gallery/ with index.html showing them side by
# side, then judges them (tests/ui/e2e/gallery/check_gallery.py). Ends with status 1 when a
# window could not be taken or shows a fault. Usage: scripts/gallery.sh [ru|en]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build="${BUILD_DIR:-build/default}"
[ -f "$build/build.ninja" ] || cmake --preset default >/dev/null
cmake --build "$build" --target brindolex-dut-configurator dut-sensor-sim
out=build/gallery
gallery=tests/ui/e2e/gallery
status=0
PYTHONDONTWRITEBYTECODE=1 dbus-run-session -- /usr/bin/python3 "$gallery/gallery.py" \
    "$build/src/ui/brindolex-dut-configurator" "$build/tools/sensor-sim/dut-sensor-sim" "$out" \
    "$@" || status=$?
/usr/bin/python3 "$gallery/check_gallery.py" "$out" || status=1
echo "open $out/index.html"
exit "$status"
