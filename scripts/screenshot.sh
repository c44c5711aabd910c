#!/usr/bin/env bash
# Builds the screenshot tool, opens the main window on a private X server and saves it
# as docs/main-window.png.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build/default}"
[ -f "$build/build.ninja" ] || cmake --preset default >/dev/null
cmake --build "$build" --target ui_screenshot
mkdir -p docs

display=""
for n in $(seq 90 99); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display between :90 and :99" >&2; exit 1; }

Xvfb "$display" -noreset -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
    xdpyinfo -display "$display" >/dev/null 2>&1 && break
    sleep 0.1
done

DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 60 "$build/tests/ui/ui_screenshot" docs/main-window.png
echo "saved docs/main-window.png"
