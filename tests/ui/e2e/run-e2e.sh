#!/usr/bin/env bash
# Runs the end-to-end test on a private X server.
set -euo pipefail
test_program="$1"
shift

# shellcheck source=x-session.sh
source "$(dirname "$0")/x-session.sh"
if ! start_xvfb; then
    echo "Xvfb reported no display" >&2
    exit 1
fi

# Xvfb is an X11 session whatever desktop the caller sits in: the hot keys take X11 grabs.
QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 timeout 150 "$test_program" "$@"
