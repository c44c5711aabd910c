#!/usr/bin/env bash
# Starts a private X server, sets its Xft.dpi resource to 144 (Qt takes the logical
# density from there), runs the given test program on it and stops the server again.
set -euo pipefail
test_program="$1"
shift

# Xvfb picks a free display itself and reports it: a display chosen here could be taken by
# a test run beside this one before the server is up.
workdir="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 \
    3>"$workdir/display" >/dev/null 2>&1 &
xvfb_pid=$!

# Bounded wait for the display number; the server answers once it has reported it.
for _ in $(seq 1 300); do
    if [ -s "$workdir/display" ]; then break; fi
    if ! kill -0 "$xvfb_pid" 2>/dev/null; then
        echo "Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.1
done
display=":$(head -n1 "$workdir/display")"
if [ "$display" = ":" ]; then
    echo "Xvfb reported no display" >&2
    exit 1
fi
xdpyinfo -display "$display" >/dev/null

echo "Xft.dpi: 144" | xrdb -display "$display" -merge
xrdb -display "$display" -query | grep -q 'Xft.dpi:[[:space:]]*144'

DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 90 "$test_program" "$@"
