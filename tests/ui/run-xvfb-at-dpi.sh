#!/usr/bin/env bash
# Usage: run-xvfb-at-dpi.sh DPI PROGRAM [ARGS...]. Starts a private X server whose Xft.dpi
# is DPI (Qt takes the logical density from there), runs the program on it with
# DUT_EXPECTED_DPI set and a private home, and stops the server again.
set -euo pipefail
dpi="$1"
test_program="$2"
shift 2

# shellcheck source=e2e/x-session.sh
source "$(dirname "$0")/e2e/x-session.sh"
if ! start_xvfb; then
    echo "Xvfb reported no display" >&2
    exit 1
fi
xdpyinfo >/dev/null

echo "Xft.dpi: $dpi" | xrdb -merge
xrdb -query | grep -q "Xft.dpi:[[:space:]]*$dpi"

# A home of its own: the windows read and keep settings and the tank calibration's session.
export HOME="$workdir/home" XDG_CONFIG_HOME="$workdir/home/.config" XDG_DATA_HOME="$workdir/home/.local/share"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"
DUT_EXPECTED_DPI="$dpi" QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 90 "$test_program" "$@"
