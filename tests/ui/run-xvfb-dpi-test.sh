#!/usr/bin/env bash
# Starts a private X server, sets its Xft.dpi resource to 144 (Qt takes the logical
# density from there), runs the given test program on it and stops the server again.
set -euo pipefail
test_program="$1"
shift

# shellcheck source=e2e/x-session.sh
source "$(dirname "$0")/e2e/x-session.sh"
if ! start_xvfb; then
    echo "Xvfb reported no display" >&2
    exit 1
fi
xdpyinfo >/dev/null

echo "Xft.dpi: 144" | xrdb -merge
xrdb -query | grep -q 'Xft.dpi:[[:space:]]*144'

QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 90 "$test_program" "$@"
