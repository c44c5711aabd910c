"""A private X server of a given size with openbox managing it, the user's hands (xdotool)
and what the window manager says about the windows (EWMH and ICCCM properties)."""

import subprocess
import threading
import time

from desktop import start_xvfb
from processes import stop, wait_for
from Xlib import X, Xatom, display, protocol


def run(args):
    subprocess.run(args, check=True, timeout=15, stdout=subprocess.DEVNULL)


class Desktop:
    def __init__(self, size):
        self.xvfb, _ = start_xvfb(size[0], size[1])
        self.display = display.Display()
        self.root = self.display.screen().root
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        if not wait_for(lambda: self._prop(self.root, "_NET_SUPPORTING_WM_CHECK") is not None, 15):
            self.stop()
            raise RuntimeError("openbox did not start")

    def stop(self):
        stop(self.wm)
        stop(self.xvfb)

    def _atom(self, name):
        return self.display.intern_atom(name)

    def _prop(self, window, name, kind=X.AnyPropertyType):
        try:
            prop = window.get_full_property(self._atom(name), kind)
        except Exception:  # the window went away while it was read
            return None
        return prop.value if prop is not None else None

    def _window(self, wid):
        return self.display.create_resource_object("window", wid)

    # What the window manager manages.
    def client(self, caption):
        """The managed window with that caption, or None."""
        for wid in self._prop(self.root, "_NET_CLIENT_LIST") or []:
            name = self._prop(self._window(wid), "_NET_WM_NAME", self._atom("UTF8_STRING"))
            if name is not None and name.decode("utf-8", "replace") == caption:
                return wid
        return None

    def outer(self, wid):
        """Left, top, width and height of the window with its frame."""
        window = self._window(wid)
        left, right, top, bottom = self._prop(window, "_NET_FRAME_EXTENTS") or (0, 0, 0, 0)
        geometry = window.get_geometry()
        at = self.root.translate_coords(window, 0, 0)
        return (at.x - left, at.y - top, geometry.width + left + right,
                geometry.height + top + bottom)

    def frame(self, wid):
        """Left, top, width and height of the frame window the window manager put around the
        window, as the X server has it (the top-level ancestor of the window)."""
        window = self._window(wid)
        while True:
            parent = window.query_tree().parent
            if parent.id == self.root.id:
                break
            window = parent
        geometry = window.get_geometry()
        return (geometry.x, geometry.y, geometry.width, geometry.height)

    def move(self, wid, x, y):
        run(["xdotool", "windowmove", "--sync", str(wid), str(x), str(y)])

    def transient_for(self, wid):
        value = self._prop(self._window(wid), "WM_TRANSIENT_FOR", Xatom.WINDOW)
        return value[0] if value else None

    def _states(self, wid):
        return set(self._prop(self._window(wid), "_NET_WM_STATE") or [])

    def maximised(self, wid):
        wanted = {self._atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                  self._atom("_NET_WM_STATE_MAXIMIZED_HORZ")}
        return wanted <= self._states(wid)

    def minimised(self, wid):
        return self._atom("_NET_WM_STATE_HIDDEN") in self._states(wid)

    def set_maximised(self, wid, on):
        event = protocol.event.ClientMessage(
            window=self._window(wid), client_type=self._atom("_NET_WM_STATE"),
            data=(32, [1 if on else 0, self._atom("_NET_WM_STATE_MAXIMIZED_VERT"),
                       self._atom("_NET_WM_STATE_MAXIMIZED_HORZ"), 1, 0]))
        self.root.send_event(event, event_mask=X.SubstructureRedirectMask |
                             X.SubstructureNotifyMask)
        self.display.flush()

    def close(self, wid):
        """The close box: the window system's delete request."""
        event = protocol.event.ClientMessage(
            window=self._window(wid), client_type=self._atom("WM_PROTOCOLS"),
            data=(32, [self._atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        self._window(wid).send_event(event, event_mask=X.NoEventMask)
        self.display.flush()

    # The user's hands.
    def minimise(self, wid):
        run(["xdotool", "windowminimize", str(wid)])

    def focus(self, wid):
        run(["xdotool", "windowactivate", "--sync", str(wid)])

    def key(self, name):
        run(["xdotool", "key", name])

    def click(self, point):
        run(["xdotool", "mousemove", str(point[0]), str(point[1]), "click", "1"])


class Clipboard:
    """Holds a text on the clipboard, as a spreadsheet does after copying a cell, while the
    with-block runs."""

    def __init__(self, _display, text):
        self.text = text.encode("utf-8")
        self.display = display.Display()
        self.window = self.display.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.stopped = False
        self.thread = threading.Thread(target=self._serve, daemon=True)

    def __enter__(self):
        self.window.set_selection_owner(self.display.intern_atom("CLIPBOARD"), X.CurrentTime)
        self.display.flush()
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.stopped = True
        self.thread.join(timeout=5)
        self.display.close()

    def _serve(self):
        targets = self.display.intern_atom("TARGETS")
        texts = {self.display.intern_atom("UTF8_STRING"), Xatom.STRING}
        while not self.stopped:
            if not self.display.pending_events():
                time.sleep(0.02)
                continue
            event = self.display.next_event()
            if event.type != X.SelectionRequest:
                continue
            prop = event.property or event.target
            if event.target == targets:
                event.requestor.change_property(prop, Xatom.ATOM, 32, [targets] + list(texts))
            elif event.target in texts:
                event.requestor.change_property(prop, event.target, 8, self.text)
            else:
                prop = X.NONE
            reply = protocol.event.SelectionNotify(
                time=event.time, requestor=event.requestor, selection=event.selection,
                target=event.target, property=prop)
            event.requestor.send_event(reply)
            self.display.flush()
