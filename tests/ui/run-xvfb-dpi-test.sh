#!/usr/bin/env bash
# Starts a private X server, sets its Xft.dpi resource to 144 (Qt takes the logical
# density from there), runs the given test program on it and stops the server again.
set -euo pipefail
test_program="$1"
shift

display=""
for n in $(seq 90 99); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
        display=":$n"
        break
    fi
done
if [ -z "$display" ]; then
    echo "no free X display between :90 and :99" >&2
    exit 1
fi

Xvfb "$display" -noreset -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# Wait (bounded) until the server answers.
for _ in $(seq 1 100); do
    if xdpyinfo -display "$display" >/dev/null 2>&1; then break; fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "Xvfb on $display did not start" >&2
        exit 1
    fi
    sleep 0.1
done
xdpyinfo -display "$display" >/dev/null

echo "Xft.dpi: 144" | xrdb -display "$display" -merge
xrdb -display "$display" -query | grep -q 'Xft.dpi:[[:space:]]*144'

DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 90 "$test_program" "$@"
