#!/usr/bin/env bash
# The gallery as a test: the checks first proved on pictures drawn for them, then every window
# of the real program taken in both languages and judged. The pictures stay in the folder
# given, so a failure can be looked at.
# Usage (inside a D-Bus session): run-gallery.sh <program> <dut-sensor-sim> <folder>
set -euo pipefail
here="$(dirname "$0")"
cd "$here"
/usr/bin/python3 -m unittest test_checks
status=0
/usr/bin/python3 gallery.py "$1" "$2" "$3" || status=$?
/usr/bin/python3 check_gallery.py "$3" || status=1
echo "the pictures: $3/index.html"
exit "$status"
