#!/usr/bin/env bash
# Runs the end-to-end test on a private X server: Xvfb picks a free display itself and
# reports it, so parallel test runs never collide.
set -euo pipefail
test_program="$1"
shift

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

# Bounded wait for the display number.
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

# Xvfb is an X11 session whatever desktop the caller sits in: the hot keys take X11 grabs.
DISPLAY="$display" QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 150 "$test_program" "$@"
