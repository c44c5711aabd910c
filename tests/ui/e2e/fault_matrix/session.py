"""One start of the real program against one simulated sensor, and what the user sees of it:
the main window's texts by their place in the window, the boxes it opens, its buttons."""

import os
import subprocess
import time

import processes
import texts
from accessible import ROLE, Program, alert_text
from processes import wait_for

# Places in the main window (left, top of the client area) of what the matrix reads.
MAIN_FIELDS = {
    "status": (ROLE.LABEL, 552, 72),     # ConnectStatusText
    "address": (ROLE.TEXT, 125, 228),    # LLS_ADRESS
    "min": (ROLE.LABEL, 144, 352),       # LEVELMIN
    "max": (ROLE.LABEL, 296, 352),       # LEVELMAX
    "current": (ROLE.LABEL, 465, 374),   # Edit1
}
COMMAND_BUTTONS = ["Бак полный (F4)", "Бак пустой (F1)", "Установить (F9, F10)"]
SENSOR_NUMBER = 1234
SENSOR_VERSION = 7


class Session:
    def __init__(self, x, sim, program, workdir):
        self.x = x
        self.sim = sim
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   DISPLAY=x.display)
        self.log_path = os.path.join(workdir, "program.log")
        with open(self.log_path, "wb") as log:
            # Russian whatever the machine's locale or a remembered choice: the texts below are.
            self.process = subprocess.Popen([program, "--lang", "ru"], env=env, stdout=log,
                                            stderr=log)
        try:
            # A loaded machine may take a while to start a Qt program and its bridge.
            self.ui = Program(self.process.pid, wait_s=45.0)
            self._fields = {}
            if not wait_for(lambda: self.ui.window(texts.MAIN_CAPTION) is not None, 15):
                raise RuntimeError("no main window with the caption " + texts.MAIN_CAPTION)
        except Exception:
            # A program left behind would hold the port, the display and the bus for every
            # row after this one.
            alive = self.process.poll() is None
            self.stop()
            with open(self.log_path, encoding="utf-8", errors="replace") as log:
                tail = log.read().splitlines()[-10:]
            print(f"program {'still running' if alive else 'exited'}; its output, last lines:",
                  *tail, sep="\n  ", flush=True)
            raise

    def stop(self):
        processes.stop(self.process)

    def alive(self):
        return self.process.poll() is None

    def enter_port(self, path):
        """Names the port as a user does today: types it into the port box of step 1; the
        program's automatic reconnect picks the typed name up. (Once the program takes the
        port as its argument, this is the one place to change.)"""
        box = [w for w in self.main().widgets(ROLE.TEXT) if w.y < 150]
        if len(box) != 1:
            raise LookupError("no single port box in step 1")
        self.x.click(box[0].centre())
        self.x.type(path)

    # Reading the main window.
    def main(self):
        window = self.ui.window(texts.MAIN_CAPTION)
        if window is None:
            raise LookupError("the main window is gone")
        return window

    def field(self, name):
        # Found once by its place, then only its text is read: the widgets live as long as
        # the window, and a full walk of the window on every poll would load the machine.
        if name not in self._fields:
            self._fields[name] = self.main().at(*MAIN_FIELDS[name])
        return self._fields[name].text()

    def status(self):
        return self.field("status")

    def connected_text(self):
        return texts.status_connected(SENSOR_NUMBER, SENSOR_VERSION)

    def buttons_enabled(self):
        """Enabled state of the four command buttons (F4, F1, address, level correction)."""
        main = self.main()
        states = []
        for name in COMMAND_BUTTONS:
            found = main.named(ROLE.PUSH_BUTTON, name)
            states.append(bool(found) and found[0].enabled())
        states.append(self.level_button().enabled())
        return states

    def level_button(self):
        """Button6, "Дополнительно" in step 3 (its namesake Button9 sits in the menu band)."""
        found = [w for w in self.main().named(ROLE.PUSH_BUTTON, "Дополнительно") if w.y > 300]
        if len(found) != 1:
            raise LookupError("no 'Дополнительно' button in step 3")
        return found[0]

    def menu_button(self):
        found = [w for w in self.main().named(ROLE.PUSH_BUTTON, "Дополнительно") if w.y < 30]
        if len(found) != 1:
            raise LookupError("no 'Дополнительно' button in the menu band")
        return found[0]

    # Boxes.
    def wait_alert(self, seconds):
        found = []

        def appeared():
            found[:] = self.ui.alerts()
            return bool(found)

        return found[0] if wait_for(appeared, seconds, step=0.1) else None

    def press(self, alert, button="OK"):
        """Clicks a button of a box and waits until the box has gone."""
        found = alert.named(ROLE.PUSH_BUTTON, button)
        if not found:
            raise LookupError(f"no '{button}' in the box '{alert.title}'")
        self.x.click(found[0].centre())
        wait_for(lambda: all(a.node != alert.node for a in self.ui.alerts()), 5)

    def take_alerts(self):
        """Closes every box that is open and returns their texts."""
        seen = []
        for _ in range(5):
            alerts = self.ui.alerts()
            if not alerts:
                break
            for alert in alerts:
                seen.append(f"{alert.title.strip()}: {alert_text(alert)!r}")
                buttons = alert.named(ROLE.PUSH_BUTTON, "OK")
                if buttons:
                    self.x.click(buttons[0].centre())
            time.sleep(0.3)
        return seen

    # Dialogs.
    def wait_window(self, title, seconds):
        found = []

        def shown():
            window = self.ui.window(title)
            found[:] = [window] if window else []
            return bool(found)

        return found[0] if wait_for(shown, seconds, step=0.1) else None

    def close_window(self, title):
        self.x.close_window(title)
        return wait_for(lambda: self.ui.window(title) is None, 5)
