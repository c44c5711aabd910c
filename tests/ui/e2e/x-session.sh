# Sourced by the scripts that drive the real program on a private X server. Sets workdir
# (removed on exit) and pids (ended on exit); defines wait_for, start_xvfb and type_port.

# shellcheck source=../script-helpers.sh
source "$(dirname "${BASH_SOURCE[0]}")/../script-helpers.sh"

# The one way the test scripts start their private X server. Xvfb picks a free display itself
# and reports it, so parallel runs never collide (a display chosen here could be taken by a
# run beside this one before the server is up). Exports DISPLAY; false when the server ends
# or reports no display within 30 s.
xvfb_alive_or_reported() {
    test -s "$workdir/display" || ! kill -0 "$xvfb_pid" 2>/dev/null
}
start_xvfb() {
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$workdir/display" \
        >/dev/null 2>&1 &
    xvfb_pid=$!
    pids+=("$xvfb_pid")
    wait_for 300 xvfb_alive_or_reported || return 1
    test -s "$workdir/display" || return 1
    export DISPLAY=":$(head -n1 "$workdir/display")"
}

main_window=""
find_main_window() {
    main_window=$(xdotool search --onlyvisible --name '^Brindolex DUT configurator v1\.3$' \
        2>/dev/null | head -n1)
    [ -n "$main_window" ]
}

# Types $1 into the port box of the main window, as the installer does; the automatic
# reconnect then opens the typed name by itself. False when no main window shows in 15 s.
type_port() {
    wait_for 150 find_main_window || return 1
    # The first focus is on the address box; Tab moves to the port box.
    xdotool windowfocus --sync "$main_window"
    xdotool key Tab
    xdotool type --delay 5 "$1"
}

# Asks the window $1 (an X window id) to close, as its close box does: the window system's
# delete request, which is what a window manager sends.
request_close() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
from Xlib import X, display, protocol
x = display.Display()
window = x.create_resource_object("window", int(sys.argv[1]))
event = protocol.event.ClientMessage(
    window=window, client_type=x.intern_atom("WM_PROTOCOLS"),
    data=(32, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
window.send_event(event, event_mask=X.NoEventMask)
x.sync()
PY
}
