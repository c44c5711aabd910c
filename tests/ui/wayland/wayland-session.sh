#!/usr/bin/env bash
# Runs a command in a private Wayland desktop session: its own runtime directory, its own
# session bus (dbus-daemon) and a headless weston, so that parallel runs never meet and
# nothing of the caller's desktop is touched. The command sees WAYLAND_DISPLAY,
# DBUS_SESSION_BUS_ADDRESS, XDG_SESSION_TYPE=wayland and QT_QPA_PLATFORM=wayland; no desktop
# portal runs until the command starts one.
# Usage: wayland-session.sh <seconds> <command> [arguments...]
set -euo pipefail
limit="$1"
shift

# shellcheck source=../script-helpers.sh
source "$(dirname "$0")/../script-helpers.sh"
runtime="$workdir"
chmod 700 "$runtime"

export XDG_RUNTIME_DIR="$runtime"
unset DISPLAY WAYLAND_SOCKET

# The session bus starts no service by itself: a desktop portal installed on the machine
# must not stand in for the one a test starts, or for none.
cat >"$runtime/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$runtime/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$runtime/bus.conf" --nofork --nopidfile --nosyslog \
    --print-address=3 3>"$runtime/bus-address" >/dev/null 2>&1 &
pids+=($!)
wait_for 100 test -s "$runtime/bus-address" || {
    echo "dbus-daemon reported no address" >&2
    exit 1
}
DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$runtime/bus-address")"
export DBUS_SESSION_BUS_ADDRESS

# kiosk-shell needs no helper client of its own; --idle-time=0 keeps the output awake.
weston --backend=headless-backend.so --socket=wayland-test --no-config --idle-time=0 \
    --shell=kiosk-shell.so --width=1280 --height=1024 --log="$runtime/weston.log" &
pids+=($!)
wait_for 100 test -S "$runtime/wayland-test" || {
    echo "weston made no socket" >&2
    tail -n 20 "$runtime/weston.log" >&2 || true
    exit 1
}
export WAYLAND_DISPLAY=wayland-test
export XDG_SESSION_TYPE=wayland
export QT_QPA_PLATFORM=wayland
# Qt's Wayland client would otherwise bring up EGL for its client buffers, and through it the
# GL driver the machine happens to have (Mesa's swrast_dri.so on a bare Debian). That driver
# leaks at exit and is unloaded before the leak check runs, so no suppression can name it,
# and the sanitizer run would fail on some machines and not others. The program draws with
# the raster engine anyway: naming a buffer integration that does not exist makes Qt skip EGL
# and use shared-memory buffers, the same on every machine. Qt says so once on stderr
# ("Failed to load client buffer integration").
export QT_WAYLAND_CLIENT_BUFFER_INTEGRATION=shm

timeout "$limit" "$@"
