#!/usr/bin/python3
"""The installed program under a window manager that draws frames (openbox) on a 1366 x 768
screen, the common installer's laptop: one row per behaviour that only shows with a window
manager, driven from outside with xdotool, read through the window manager's own properties,
the accessibility bus and the simulated sensor.

Usage (inside a D-Bus session, which carries the accessibility bus):
    dbus-run-session -- python3 run_wm_rows.py PROGRAM SIMULATOR"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..",
                                "fault_matrix"))
from accessible import ROLE, Program  # noqa: E402
from processes import stop, wait_for  # noqa: E402
from simulator import Simulator  # noqa: E402
from wm_desktop import Clipboard, Desktop  # noqa: E402

SCREEN = (1366, 768)
MAIN = "Brindolex DUT configurator v1.3"
MONITOR = "Монитор работы LLS"
OUTPUT = "Дополнительные параметры"
FULL_OK = "Максимальный уровень установлен!"
EMPTY_OK = "Минимальный уровень установлен!"
FULL_LEVEL, EMPTY_LEVEL, RESOLUTION = 4, 5, 8

# The windows opened from the main window: caption, how the user opens it, outer size with the
# frame as designed.
WINDOWS = [
    ("О Программе Brindolex DUT configurator v1.2", ("button", "О Программе", 0), (511, 444)),
    ("Горячие клавиши", ("button", "Горячие клавиши", 0), (622, 247)),
    ("Ручная корректировка Полного и Пустого", ("button", "Дополнительно", 1), (525, 246)),
    (OUTPUT, ("button", "Дополнительно", 0), (487, 350)),
    (MONITOR, ("key", "ctrl+shift+l", 0), (800, 600)),
]
# The monitor's designed place runs past this screen: moved inside, size kept.
MONITOR_PLACE = (SCREEN[0] - 800, SCREEN[1] - 600, 800, 600)


class Run:
    def __init__(self, desk, program, sim):
        self.desk, self.sim = desk, sim
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", XDG_SESSION_TYPE="x11",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        # Russian whatever the machine's locale: the captions below are.
        self.process = subprocess.Popen([program, "--lang", "ru", sim.link], env=env)
        self.ui = Program(self.process.pid)
        if not wait_for(lambda: self.desk.client(MAIN) is not None, 15):
            raise RuntimeError("no main window")
        self.main_id = self.desk.client(MAIN)

    def stop(self):
        stop(self.process)

    def main(self):
        return self.ui.window(MAIN)

    def button(self, name, index=0):
        # Buttons of the same name are told apart by their order from the top left.
        found = sorted(self.main().named(ROLE.PUSH_BUTTON, name), key=lambda w: (w.y, w.x))
        return found[index]

    def connected(self):
        return any(r.number == 10 for r in self.sim.requests())

    def open(self, opener):
        kind, what, index = opener
        if kind == "key":
            self.desk.focus(self.main_id)
            self.desk.key(what)
        else:
            self.desk.click(self.button(what, index).centre())

    def wait_client(self, caption):
        if not wait_for(lambda: self.desk.client(caption) is not None, 10):
            raise AssertionError(f"{caption!r} did not open")
        return self.desk.client(caption)

    def close(self, caption):
        window = self.desk.client(caption)
        self.desk.close(window)
        if not wait_for(lambda: self.desk.client(caption) is None, 10):
            raise AssertionError(f"{caption!r} did not close")

    def wait_box(self, text):
        def shown():
            return any(text in a.labels() for a in self.ui.alerts())
        return wait_for(shown, 10)

    def answer_box(self):
        self.desk.key("Return")
        wait_for(lambda: not self.ui.alerts(), 10)


# --- the rows ---------------------------------------------------------------------------

def opening_the_port_list_only_looks(run):
    mark = run.sim.mark()
    box = [w for w in run.main().widgets(ROLE.COMBO_BOX)][0]
    x, y, w, h = box.screen
    run.desk.click((x + w - 6, y + h // 2))
    if not wait_for(box.list_open, 5):
        return ["the port list did not open"]
    time.sleep(0.5)
    run.desk.key("Escape")
    time.sleep(3)  # more than one automatic reconnect period
    again = [r for r in run.sim.requests(mark) if r.number in (3, 4, 5, 7, 10)]
    return [f"opening the list and Escape sent {again}"] if again else []


def the_monitor_fits_the_screen(run):
    run.open(WINDOWS[-1][1])
    window = run.wait_client(MONITOR)
    wait_for(lambda: run.desk.outer(window) == MONITOR_PLACE, 5)
    place = run.desk.outer(window)
    run.close(MONITOR)
    return [] if place == MONITOR_PLACE else [f"the monitor opened at {place}"]


def every_frame_lies_on_the_screen(run):
    """Each window's frame, title bar included, on the screen when it opens: with the main
    window where it opens, and dragged so that windows centred on it would run past the bottom
    of the screen."""
    def on_screen(frame):
        x, y, w, h = frame
        return x >= 0 and y >= 0 and x + w <= SCREEN[0] and y + h <= SCREEN[1]

    problems = []
    home = run.desk.frame(run.main_id)
    for main_at in (None, (560, 300)):
        if main_at is not None:
            run.desk.move(run.main_id, *main_at)
            wait_for(lambda: run.desk.frame(run.main_id)[:2] != home[:2], 5)
        elif not on_screen(home):
            problems.append(f"the main window opened at {home}")
        for caption, opener, _ in WINDOWS:
            for opening in (1, 2):
                run.open(opener)
                window = run.wait_client(caption)
                wait_for(lambda: on_screen(run.desk.frame(window)), 5)
                frame = run.desk.frame(window)
                if not on_screen(frame):
                    problems.append(f"{caption!r}, opening {opening}, main window at "
                                    f"{run.desk.frame(run.main_id)[:2]}: its frame at {frame}")
                run.close(caption)
    run.desk.move(run.main_id, home[0], home[1])
    wait_for(lambda: run.desk.frame(run.main_id)[:2] == home[:2], 5)
    return problems


def f1_restores_a_maximised_window(run):
    run.desk.set_maximised(run.main_id, True)
    if not wait_for(lambda: run.desk.maximised(run.main_id), 5):
        return ["the window manager did not maximise the main window"]
    run.desk.minimise(run.main_id)
    if not wait_for(lambda: run.desk.minimised(run.main_id), 5):
        return ["the window manager did not minimise the main window"]
    run.desk.key("F1")
    problems = []
    if not run.wait_box(EMPTY_OK):
        problems.append("F1 showed no box")
    if run.desk.minimised(run.main_id):
        problems.append("F1 left the main window minimised")
    if not run.desk.maximised(run.main_id):
        problems.append("F1 brought the main window back at its normal size")
    run.answer_box()
    run.desk.set_maximised(run.main_id, False)
    wait_for(lambda: not run.desk.maximised(run.main_id), 5)
    return problems


def outer_sizes_hold_at_every_opening(run):
    problems = []
    for caption, opener, size in WINDOWS:
        for opening in (1, 2):
            run.open(opener)
            window = run.wait_client(caption)
            wait_for(lambda: run.desk.outer(window)[2:] == size, 5)
            got = run.desk.outer(window)[2:]
            if got != size:
                problems.append(f"{caption!r}, opening {opening}: {got}, not {size}")
            run.close(caption)
    return problems


def secondary_windows_are_transient_for_the_main_window(run):
    problems = []
    for caption, opener, _ in WINDOWS:
        run.open(opener)
        window = run.wait_client(caption)
        owner = run.desk.transient_for(window)
        if owner != run.main_id:
            problems.append(f"{caption!r} is transient for {owner}")
        run.close(caption)
    return problems


def return_presses_the_focused_button(run):
    mark = run.sim.mark()
    # The empty tank's button: the held measurement stays below the full level, so the write
    # goes without the question that a full level at the empty one would bring.
    button = run.button("Бак пустой (F1)")
    run.desk.focus(run.main_id)
    button.node.get_component_iface().grab_focus()
    time.sleep(0.3)
    run.desk.key("Return")
    problems = []
    if not run.wait_box(EMPTY_OK):
        problems.append("Return on the focused button showed no box")
    if not run.sim.writes(mark, EMPTY_LEVEL):
        problems.append("Return on the focused button wrote no empty level")
    run.answer_box()
    return problems


def a_pasted_number_stops_at_its_line_break(run):
    field = [w for w in run.main().widgets(ROLE.TEXT) if abs(w.y - 228) < 6][0]
    before = field.text()
    with Clipboard(run.desk.display, "14\n"):
        run.desk.click(field.centre())
        run.desk.key("ctrl+a")
        run.desk.key("ctrl+v")
        wait_for(lambda: field.text() not in ("", before), 5)
    text = field.text()
    return [] if text == "14" else [f"the address field took {text!r}"]


def choosing_the_item_shown_writes_nothing(run):
    start = run.sim.mark()
    run.open(WINDOWS[3][1])
    run.wait_client(OUTPUT)
    # The dialog reads the sensor's settings first.
    wait_for(lambda: any(r.number == RESOLUTION for r in run.sim.requests(start)), 10)
    window = run.ui.window(OUTPUT)
    box = sorted(window.widgets(ROLE.COMBO_BOX), key=lambda w: w.y)[0]
    problems = []
    mark = run.sim.mark()
    for step, keys, writes in (("the shown item", ["Return"], 0),
                               ("the other item", ["Down", "Return"], 1)):
        run.desk.click(box.centre())
        if not wait_for(box.list_open, 5):
            problems.append("the resolution list did not open")
            break
        for key in keys:
            run.desk.key(key)
        wait_for(lambda: len(run.sim.writes(mark, RESOLUTION)) >= writes, 10)
        time.sleep(1)  # room for a second write that must not come
        got = len(run.sim.writes(mark, RESOLUTION))
        if got != writes:
            problems.append(f"choosing {step}: {got} writes in all, not {writes}")
    run.close(OUTPUT)
    return problems


ROWS = [
    ("opening the port list only looks", opening_the_port_list_only_looks),
    ("the monitor fits the screen", the_monitor_fits_the_screen),
    ("every frame lies on the screen", every_frame_lies_on_the_screen),
    ("F1 restores a maximised window maximised", f1_restores_a_maximised_window),
    ("outer sizes hold at every opening", outer_sizes_hold_at_every_opening),
    ("secondary windows are transient for the main window",
     secondary_windows_are_transient_for_the_main_window),
    ("Return presses the focused button", return_presses_the_focused_button),
    ("a pasted number stops at its line break", a_pasted_number_stops_at_its_line_break),
    ("choosing the item shown writes nothing", choosing_the_item_shown_writes_nothing),
]


def main():
    program, simulator = sys.argv[1], sys.argv[2]
    workdir = tempfile.mkdtemp(prefix="dut-wm-")
    desk = sim = run = None
    failed = []
    try:
        desk = Desktop(SCREEN)
        # A held measurement: F1 writes it as the empty level, which must stay below full.
        sim = Simulator(simulator, workdir, ["--raw", "1834"])
        run = Run(desk, program, sim)
        if not wait_for(run.connected, 20):
            raise RuntimeError("the program never connected to the port on its command line")
        for name, row in ROWS:
            try:
                problems = row(run)
            except Exception as error:  # a broken row fails itself, not the others
                traceback.print_exc()
                problems = [f"{type(error).__name__}: {error}"]
            print(f"{'ok  ' if not problems else 'FAIL'} {name}")
            for p in problems:
                print(f"       {p}")
            if problems:
                failed.append(name)
    finally:
        for part in (run, sim, desk):
            if part is not None:
                part.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    print(f"{len(ROWS) - len(failed)} of {len(ROWS)} rows hold")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
