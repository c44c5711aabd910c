"""Reads the program's windows through the accessibility bus (AT-SPI), the way a screen
reader does: Qt publishes every widget with its role, its text and its place on the screen
when QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1. Nothing in the program is made for this reader."""

import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# A program that is busy in a serial exchange answers late; never wait for ever.
Atspi.set_timeout(15000, 15000)


class Vanished(Exception):
    """The object left the bus between being listed and being read: a message box that is
    closing is still listed by its parent for a moment, and every read of it can then fail
    in its own way (a GLib error, no interface at all, a defunct object)."""


def _alive(node):
    """node itself, or Vanished when the bus no longer has it."""
    if node is None:
        raise Vanished("no object")
    states = node.get_state_set()
    if states is None or states.contains(Atspi.StateType.DEFUNCT):
        raise Vanished("defunct object")
    return node


def _extents(node):
    component = _alive(node).get_component_iface()
    if component is None:
        raise Vanished("no component interface")
    return component.get_extents(Atspi.CoordType.SCREEN)


class Widget:
    """One accessible object with its box relative to its window's top left corner."""

    def __init__(self, node, origin):
        self.node = node
        self.role = node.get_role()
        self.name = node.get_name() or ""
        box = _extents(node)
        self.screen = (box.x, box.y, box.width, box.height)
        self.x = box.x - origin[0]
        self.y = box.y - origin[1]

    def centre(self):
        x, y, w, h = self.screen
        return x + w // 2, y + h // 2

    def enabled(self):
        states = self.node.get_state_set()
        return states.contains(Atspi.StateType.ENABLED) and states.contains(
            Atspi.StateType.SENSITIVE)

    def list_open(self):
        """Whether the drop-down list of a combo box is open."""
        for i in range(self.node.get_child_count()):
            child = self.node.get_child_at_index(i)
            if child is not None and child.get_role() == Atspi.Role.LIST:
                return _showing(child)
        return False

    def text(self):
        """The text of an edit box, or the name of anything else (a label's text), as it
        stands now."""
        if self.role == Atspi.Role.TEXT:
            text = self.node.get_text_iface()
            if text is None:
                raise Vanished("no text interface")
            return text.get_text(0, -1)
        return self.node.get_name() or ""


def _walk(node, depth=0):
    yield node
    if depth > 12:
        return
    children = _read(lambda n: [n.get_child_at_index(i) for i in range(n.get_child_count())],
                     node)
    if children is None:
        return
    for child in children:
        if child is not None:
            yield from _walk(child, depth + 1)


def _showing(node):
    return _alive(node).get_state_set().contains(Atspi.StateType.SHOWING)


def _read(make, node):
    """make(node), or None when the object left the bus between listing and reading. Every
    way of vanishing ends here, so no caller has to know them."""
    try:
        return make(node)
    except (GLib.Error, Vanished):
        return None


class Window:
    def __init__(self, node):
        self.node = node
        self.title = node.get_name() or ""
        self.role = node.get_role()
        box = _extents(node)
        self.origin = (box.x, box.y)

    def widgets(self, role=None):
        found = []
        for node in _walk(self.node):
            if node is self.node:
                continue
            widget = _read(lambda n: Widget(n, self.origin)
                           if _showing(n) and (role is None or n.get_role() == role)
                           else None, node)
            if widget is not None:
                found.append(widget)
        return found

    def at(self, role, x, y, tolerance=6):
        """The widget of that role whose top left corner is at (x, y) in the window."""
        best = None
        for w in self.widgets(role):
            distance = abs(w.x - x) + abs(w.y - y)
            if distance <= tolerance and (best is None or distance < best[0]):
                best = (distance, w)
        if best is None:
            raise LookupError(f"no {role.value_nick} at {x},{y} in '{self.title}'")
        return best[1]

    def named(self, role, name):
        return [w for w in self.widgets(role) if w.name == name]

    def labels(self):
        return [w.name for w in self.widgets(Atspi.Role.LABEL) if w.name]


class Program:
    """The running program as the accessibility bus shows it."""

    def __init__(self, pid, wait_s=20.0):
        self.app = None
        deadline = time.monotonic() + wait_s
        while self.app is None and time.monotonic() < deadline:
            desktop = Atspi.get_desktop(0)
            for i in range(desktop.get_child_count()):
                app = desktop.get_child_at_index(i)
                if app is not None and app.get_process_id() == pid:
                    self.app = app
                    break
            else:
                time.sleep(0.2)
        if self.app is None:
            raise RuntimeError("the program never appeared on the accessibility bus")
        # Read every value afresh: the program changes its texts all the time.
        self.app.set_cache_mask(Atspi.Cache.NONE)

    def windows(self):
        found = []
        for i in range(self.app.get_child_count()):
            node = _read(self.app.get_child_at_index, i)
            window = _read(lambda n: Window(n) if _showing(n) else None, node) if node else None
            if window is not None:
                found.append(window)
        return found

    def window(self, title):
        for w in self.windows():
            if w.title == title and w.role != Atspi.Role.ALERT:
                return w
        return None

    def alerts(self):
        return [w for w in self.windows() if w.role == Atspi.Role.ALERT]


def alert_text(alert):
    """The message of a box: its one label with text."""
    texts = alert.labels()
    return texts[0] if len(texts) == 1 else "\n--\n".join(texts)


ROLE = Atspi.Role
