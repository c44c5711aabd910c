"""A private X server and the hands of the user: keys and clicks through xdotool, the close
box of a window through the window system's delete request (there is no window manager
here to draw a close button)."""

import os
import subprocess
import time

import processes
from Xlib import X, display, protocol


def run(args, timeout=10):
    subprocess.run(args, check=True, timeout=timeout, stdout=subprocess.DEVNULL)


def start_xvfb(width=1280, height=1024):
    """A private Xvfb that picks its own display, so parallel runs never meet; the process
    and the display's name (":N"), which is also put into DISPLAY."""
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
         "-screen", "0", f"{width}x{height}x24"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        processes.stop(process)
        raise RuntimeError("Xvfb reported no display")
    os.environ["DISPLAY"] = ":" + number.decode().strip()
    return process, os.environ["DISPLAY"]


class XServer:
    def __init__(self):
        self.process, self.display = start_xvfb()
        self.x = display.Display(self.display)

    def stop(self):
        processes.stop(self.process)

    # The user's hands.
    def key(self, name):
        run(["xdotool", "key", name])

    def type(self, text):
        run(["xdotool", "type", "--delay", "5", text], timeout=30)

    def click(self, point):
        x, y = point
        run(["xdotool", "mousemove", str(x), str(y), "click", "1"])

    def close_window(self, title):
        """Asks the window with that caption to close, as its close box would."""
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        utf8 = self.x.intern_atom("UTF8_STRING")
        net_name = self.x.intern_atom("_NET_WM_NAME")
        closed = False
        for window in self.x.screen().root.query_tree().children:
            prop = window.get_full_property(net_name, utf8)
            if prop is None or prop.value.decode("utf-8", "replace") != title:
                continue
            if window.get_attributes().map_state != X.IsViewable:
                continue
            event = protocol.event.ClientMessage(
                window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
            window.send_event(event, event_mask=X.NoEventMask)
            closed = True
        self.x.flush()
        return closed
