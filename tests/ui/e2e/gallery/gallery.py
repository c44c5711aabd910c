#!/usr/bin/python3
"""Every window of the installed program in its principal states, in Russian and in English,
on a 1366 x 768 screen at 96 dpi under openbox, beside the simulated sensor. Each window is
taken with its frame from the screen itself, so what lands in the picture is what a person
sees; beside the pictures, shots.json keeps where every window and every control stood (from
the window manager and the accessibility bus) for check_gallery.py, and index.html shows the
pictures side by side.

Windows are found as the window manager's newest client, never by caption or place, so the
run keeps working as the windows change; the program is driven by its keys and by buttons
found by their accessible names.

Usage (inside a D-Bus session, which carries the accessibility bus):
    dbus-run-session -- python3 gallery.py PROGRAM SIMULATOR OUTPUT_FOLDER [ru|en ...]"""

import html
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "fault_matrix"))
sys.path.insert(0, os.path.join(HERE, "..", "window_manager"))
from accessible import ROLE, Program, Widget, _showing  # noqa: E402
from monitor_listens import holds  # noqa: E402
from pictures import write_png  # noqa: E402
from processes import stop, wait_for  # noqa: E402
from simulator import Simulator  # noqa: E402
from wm_desktop import Desktop  # noqa: E402
from Xlib import X, display  # noqa: E402

SCREEN = (1366, 768)
DPI = 96
# Buttons of the main window by their accessible names; a name shared by two buttons is told
# apart by its order from the top (the menu band first).
BUTTONS = {
    "ru": {"about": ("О Программе", 0), "keys": ("Горячие клавиши", 0),
           "output": ("Дополнительно", 0), "levels": ("Дополнительно", 1)},
    "en": {"about": ("About", 0), "keys": ("Hot keys", 0),
           "output": ("Advanced", 0), "levels": ("Advanced", 1)},
}
SENSOR = 1234
LLS_ADDRESSES = ["1", "2", "3"]

# An unfinished calibration offered at the tank window's opening: eight points of a filling,
# the fifth marked because its level falls, so the table shows marked and unmarked rows.
SESSION = ("dut-tank-session 1\ntank\tОсновной\nvehicle\tА123ВС\nsensor\t1234\n"
           "direction\tfilling\nstart\t0\n"
           "point\t0\t0\t200\t1765000000\npoint\t50\t600\t-\t1765000100\n"
           "point\t100\t1100\t-\t1765000200\npoint\t150\t1600\t-\t1765000300\n"
           "point\t200\t1550\t-\t1765000400\npoint\t250\t2500\t-\t1765000500\n"
           "point\t300\t3100\t-\t1765000600\npoint\t350\t3700\t-\t1765000700\nend\t8\n")
REPORT_DETAILS = ("[report]\nInstaller=Петров Пётр\nCompany=ООО Топливный контроль\n"
                  "Model=КАМАЗ 65115\nTank=\"Основной, 350 л\"\n")
# Settings of the same sensor that differ from what it holds, so the apply dialog has rows.
SETTINGS_FILE = {"sensorNumber": SENSOR, "version": 7, "address": 5, "fullLevel": 3500,
                 "emptyLevel": 300, "outputResolutionBits": 10, "outputIntervalSeconds": 30,
                 "date": "2026-12-01T10:00:00"}


class Shooter:
    """Takes the newest window of the screen with its frame and what the bus says of it."""

    def __init__(self, desk, out, lang):
        self.desk, self.out, self.lang = desk, out, lang
        self.shots = []
        self.ui = None

    def clients(self):
        return list(self.desk._prop(self.desk.root, "_NET_CLIENT_LIST") or [])

    def wait_new(self, before, seconds=15, count=1):
        found = []

        def appeared():
            found[:] = [w for w in self.clients() if w not in before]
            return len(found) >= count

        if not wait_for(appeared, seconds, step=0.1):
            raise AssertionError(f"{count} new windows did not appear: {found}")
        return found[-count:]

    def open(self, action, seconds=15, count=1):
        """Runs the action and returns the window it opened (the count windows, smallest
        first: a box before the window it stands over)."""
        before = self.clients()
        action()
        found = self.wait_new(before, seconds, count)
        if count == 1:
            return found[0]
        return sorted(found, key=lambda w: self.desk.outer(w)[2] * self.desk.outer(w)[3])

    def close(self, wid):
        self.desk.close(wid)
        if not wait_for(lambda: wid not in self.clients(), 10):
            raise AssertionError(f"window {wid} did not close")

    def client_box(self, wid):
        window = self.desk._window(wid)
        geometry = window.get_geometry()
        at = self.desk.root.translate_coords(window, 0, 0)
        return [at.x, at.y, geometry.width, geometry.height]

    def title(self, wid):
        name = self.desk._prop(self.desk._window(wid), "_NET_WM_NAME",
                               self.desk._atom("UTF8_STRING"))
        return name.decode("utf-8", "replace") if name else ""

    def _grab(self, box):
        """The screen's pixels in box (cut to the screen) as RGB rows, and the cut box."""
        x0, y0 = max(box[0], 0), max(box[1], 0)
        x1, y1 = min(box[0] + box[2], SCREEN[0]), min(box[1] + box[3], SCREEN[1])
        if x1 <= x0 or y1 <= y0:
            return None, [x0, y0, 0, 0]
        raw = self.desk.root.get_image(x0, y0, x1 - x0, y1 - y0, X.ZPixmap, 0xFFFFFFFF).data
        rgb = bytearray(len(raw) // 4 * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = raw[2::4], raw[1::4], raw[0::4]
        return bytes(rgb), [x0, y0, x1 - x0, y1 - y0]

    def settle(self, box, seconds=3.0):
        """Waits until two looks 0.3 s apart show the same picture (a live chart never
        settles; the wait is bounded)."""
        last = None
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            now, _ = self._grab(box)
            if now is not None and now == last:
                return
            last = now
            time.sleep(0.3)

    def widgets(self, client):
        """Every control shown in the accessible window whose box is the client's."""
        if self.ui is None:
            return []
        for window in self.ui.windows():
            if abs(window.origin[0] - client[0]) <= 2 and abs(window.origin[1] - client[1]) <= 2:
                return list(_controls(window.node, window.origin))
        return []

    def shot(self, state, wid, note=""):
        outer = list(self.desk.outer(wid))
        self.settle(outer)
        client = self.client_box(wid)
        # A control read before and after the picture was taken, and alike both times, is
        # what the picture shows; one that changed between (a live count) is only placed.
        before = self.widgets(client)
        pixels, cut = self._grab(outer)
        after = self.widgets(client)
        live = [w for w in after if w not in before]
        name = f"{state}-{self.lang}.png"
        if pixels is not None:
            write_png(os.path.join(self.out, name), cut[2], cut[3], pixels)
        self.shots.append({"file": name if pixels is not None else None, "state": state,
                           "lang": self.lang, "title": self.title(wid), "frame": outer,
                           "shown": cut, "client": client,
                           "widgets": [w for w in after if w in before], "live": live,
                           "note": note})
        print(f"  {name}: '{self.title(wid)}' frame {outer}", flush=True)


def _controls(node, origin, depth=0):
    """The controls shown under node. A closed combo box's list is not on the screen, though
    the bus lists it, so its items are left out."""
    if depth > 12:
        return
    try:
        children = [node.get_child_at_index(i) for i in range(node.get_child_count())]
    except Exception:  # the object left the bus while it was read
        return
    for child in children:
        widget = None
        try:
            widget = Widget(child, origin) if child is not None and _showing(child) else None
        except Exception:  # as above
            pass
        if widget is None:
            continue
        yield {"role": widget.role.value_nick, "name": widget.name, "box": list(widget.screen)}
        if widget.role != ROLE.COMBO_BOX or widget.list_open():
            yield from _controls(child, origin, depth + 1)


def private_home(workdir):
    env = dict(os.environ)
    home = os.path.join(workdir, "home")
    env.update(HOME=home, XDG_DATA_HOME=os.path.join(home, ".local", "share"),
               XDG_CONFIG_HOME=os.path.join(home, ".config"),
               XDG_RUNTIME_DIR=os.path.join(workdir, "runtime"))
    data = os.path.join(env["XDG_DATA_HOME"], "Brindolex", "dut-configurator")
    config = os.path.join(env["XDG_CONFIG_HOME"], "Brindolex")
    for folder in (data, config, env["XDG_RUNTIME_DIR"], os.path.join(workdir, "bin")):
        os.makedirs(folder, exist_ok=True)
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    with open(os.path.join(data, "tank-calibration.session"), "w", encoding="utf-8") as f:
        f.write(SESSION)
    with open(os.path.join(config, "dut-configurator.conf"), "w",
              encoding="utf-8") as f:
        f.write(REPORT_DETAILS)
    settings = os.path.join(workdir, "settings.json")
    with open(settings, "w", encoding="utf-8") as f:
        json.dump(SETTINGS_FILE, f)
    # The saved report is not handed to a viewer.
    viewer = os.path.join(workdir, "bin", "xdg-open")
    with open(viewer, "w", encoding="utf-8") as f:
        f.write("#!/bin/sh\nexit 0\n")
    os.chmod(viewer, 0o755)
    env.update(PATH=os.path.join(workdir, "bin") + os.pathsep + env["PATH"],
               DUT_SETTINGS_FILE=settings, QT_QPA_PLATFORM="xcb", XDG_SESSION_TYPE="x11",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    return env


def start_program(program, lang, port, env, workdir, shooter):
    """The program, on the accessibility bus, and its main window; with no port it starts
    unconnected."""
    log = open(os.path.join(workdir, f"program-{lang}.log"), "ab")
    process = subprocess.Popen([program, "--lang", lang] + ([port] if port else []), env=env,
                               stdout=log, stderr=log)
    log.close()
    try:
        shooter.ui = Program(process.pid, wait_s=45.0)
        main = shooter.wait_new([], 30)[0]
    except Exception:
        # Left running, it would hold its port and the bus for every part after this one.
        stop(process)
        raise
    return process, main


def main_button(shooter, main, which):
    name, index = BUTTONS[shooter.lang][which]
    client = shooter.client_box(main)
    for window in shooter.ui.windows():
        if tuple(window.origin) == tuple(client[:2]):
            found = sorted(window.named(ROLE.PUSH_BUTTON, name), key=lambda w: (w.y, w.x))
            if len(found) > index:
                return found[index]
    raise LookupError(f"no button {name!r} in the main window")


def configurator_states(desk, shooter, program, simulator, workdir, env):
    sim = Simulator(simulator, workdir, ["--raw", "1834"])
    process = None
    try:
        process, main = start_program(program, shooter.lang, sim.link, env, workdir, shooter)
        if not wait_for(lambda: any(r.number == 10 for r in sim.requests()), 30):
            raise AssertionError("the program never connected to the simulator")
        # A few polls fill the trend chart.
        time.sleep(3)
        shooter.shot("main-connected", main)

        def keys(*names, target=main):
            desk.focus(target)
            for name in names:
                desk.key(name)

        box = shooter.open(lambda: keys("F4"))
        shooter.shot("message-box", box, "F4: the full level written and read back")
        keys("Return", target=box)
        wait_for(lambda: box not in shooter.clients(), 10)

        for which, state in (("keys", "help"), ("about", "about"), ("output", "output-settings"),
                             ("levels", "level-correction")):
            button = main_button(shooter, main, which)
            window = shooter.open(lambda: desk.click(button.centre()))
            time.sleep(1)  # the dialogs read the sensor first
            shooter.shot(state, window)
            shooter.close(window)

        log = shooter.open(lambda: keys("ctrl+shift+j"))
        time.sleep(1.5)
        shooter.shot("exchange-log", log)
        shooter.close(log)

        apply = shooter.open(lambda: keys("ctrl+shift+o"))
        shooter.shot("settings-apply", apply, "a file of the same sensor with other values")
        keys("Escape", target=apply)
        wait_for(lambda: apply not in shooter.clients(), 10)

        # The tank window opens with the offer of the unfinished table over it.
        offer, tank = shooter.open(lambda: keys("ctrl+t"), count=2)
        shooter.shot("tank-offer", offer, "the unfinished table offered")
        keys("Return", target=offer)
        wait_for(lambda: offer not in shooter.clients(), 10)
        time.sleep(1)
        shooter.shot("tank-table", tank, "eight points, the fifth marked")

        report = shooter.open(lambda: keys("ctrl+p"))
        time.sleep(1)
        shooter.shot("report-form", report)
        pdf = os.path.join(workdir, f"report-{shooter.lang}.pdf")
        dialog = shooter.open(lambda: keys("ctrl+s", target=report))
        keys("ctrl+a", target=dialog)
        subprocess.run(["xdotool", "type", "--delay", "5", pdf], check=True, timeout=30)
        desk.key("Return")
        if not wait_for(lambda: os.path.exists(pdf) and os.path.getsize(pdf) > 0, 20):
            raise AssertionError("no report was written")
        time.sleep(0.5)
        shooter.shot("report-saved", report)
        report_pages(shooter, pdf)
        shooter.close(report)
        shooter.close(tank)

        # A command on a line where nothing answers any more: the window while it waits,
        # then the box that says it failed.
        sim.process.send_signal(signal.SIGSTOP)
        try:
            before = shooter.clients()
            keys("F4")
            time.sleep(1.5)
            waiting = [w for w in shooter.clients() if w not in before]
            shooter.shot("command-waiting", waiting[-1] if waiting else main,
                         "F4 on a silent line, 1.5 s on")
            failed = waiting[-1] if waiting else shooter.wait_new(before, 20)[0]
            shooter.shot("command-failed", failed, "F4 on a silent line")
            keys("Return", target=failed)
            wait_for(lambda: failed not in shooter.clients(), 10)
        finally:
            sim.process.send_signal(signal.SIGCONT)

        # The adapter pulled: the link is lost.
        sim.process.send_signal(signal.SIGUSR1)
        wait_for(sim.unplugged, 5)
        time.sleep(3)
        shooter.shot("main-link-lost", main, "the adapter pulled")
    finally:
        if process is not None:
            stop(process)
        sim.stop()


def report_pages(shooter, pdf):
    prefix = os.path.join(shooter.out, f"report-page-{shooter.lang}")
    subprocess.run(["pdftoppm", "-r", str(DPI), "-png", pdf, prefix], check=True, timeout=60)
    kept = os.path.join(shooter.out, f"report-{shooter.lang}.pdf")
    shutil.copyfile(pdf, kept)
    pages = sorted(f for f in os.listdir(shooter.out)
                   if f.startswith(os.path.basename(prefix) + "-") and f.endswith(".png"))
    for page in pages:
        shooter.shots.append({"file": page, "state": "report-page", "lang": shooter.lang,
                              "title": page, "pdf": os.path.basename(kept), "note": ""})
        print(f"  {page}", flush=True)


def monitor_state(desk, shooter, program, simulator, workdir, env):
    """The monitor on a line where a terminal polls three sensors: the configuration exchange
    fails there, the port is closed again, and the monitor opens it to listen."""
    link = os.path.join(workdir, "bus")
    sim = subprocess.Popen([simulator, "--lls-bus", "--link", link, "--addresses",
                            ",".join(LLS_ADDRESSES)], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    process = None
    try:
        if not wait_for(lambda: os.path.exists(link), 5):
            raise AssertionError("the simulator made no bus")
        device = os.path.realpath(link)
        # Started unconnected and given the port once it is on the bus: a program busy with
        # the terminal's traffic from its first moment can miss the bus on a loaded machine.
        process, main = start_program(program, shooter.lang, None, env, workdir, shooter)
        client = shooter.client_box(main)
        window = [w for w in shooter.ui.windows() if tuple(w.origin) == tuple(client[:2])][0]
        port_box = [w for w in window.widgets(ROLE.TEXT) if w.y < 150]
        desk.click(port_box[0].centre())
        subprocess.run(["xdotool", "type", "--delay", "5", link], check=True, timeout=30)
        wait_for(lambda: holds(process.pid, device), 30)
        wait_for(lambda: not holds(process.pid, device), 30)
        desk.focus(main)
        monitor = shooter.open(lambda: desk.key("ctrl+shift+l"))

        def heard():
            names = set()
            for window in shooter.ui.windows():
                names |= {w.name for w in window.widgets(ROLE.TABLE_CELL)}
            return set(LLS_ADDRESSES) <= names

        heard_all = wait_for(heard, 20, step=0.5)
        # The grid changes at every poll, faster than the bus can be read; with the line
        # held still, the picture and the cells read beside it show one moment.
        sim.send_signal(signal.SIGSTOP)
        time.sleep(1)
        shooter.shot("monitor", monitor, "three sensors polled" if heard_all
                     else "NOT ALL THREE ADDRESSES HEARD")
    finally:
        if process is not None:
            stop(process)
        sim.send_signal(signal.SIGCONT)
        stop(sim)


def write_index(out, shots):
    states = []
    for shot in shots:
        if shot["state"] == "report-page":
            key = shot["file"].replace(f"-{shot['lang']}-", "-")
        else:
            key = shot["state"]
        if key not in states:
            states.append(key)
    rows = []
    for key in states:
        cells = []
        for lang in ("ru", "en"):
            found = [s for s in shots if s["lang"] == lang and
                     (s["state"] == key or s["file"] and
                      s["file"].replace(f"-{lang}-", "-") == key)]
            if found and found[0]["file"]:
                s = found[0]
                where = f" — frame {s['frame']}" if "frame" in s else ""
                cells.append(f'<td><img src="{html.escape(s["file"])}" alt=""><br>'
                             f'{html.escape(s["title"])}{html.escape(where)}'
                             f'<br><i>{html.escape(s["note"])}</i></td>')
            else:
                cells.append("<td>(not taken)</td>")
        rows.append(f"<tr><th>{html.escape(key)}</th>{''.join(cells)}</tr>")
    with open(os.path.join(out, "index.html"), "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Windows</title>"
                "<style>td,th{vertical-align:top;padding:6px;border:1px solid #ccc}"
                "img{max-width:700px}</style></head><body>\n"
                f"<p>{SCREEN[0]} × {SCREEN[1]}, {DPI} dpi, openbox</p>\n"
                "<table><tr><th></th><th>Русский</th><th>English</th></tr>\n"
                + "\n".join(rows) + "\n</table></body></html>\n")


PARTS = {"configurator": lambda *a: configurator_states(*a),
         "monitor": lambda *a: monitor_state(*a)}


def run_part(name, program, simulator, out, lang, workdir):
    """One part in a process and accessibility bus of its own, on the screen that DISPLAY
    names: a program ended on a shared bus can keep every later one from appearing there."""
    desk = Desktop.__new__(Desktop)
    desk.display = display.Display()
    desk.root = desk.display.screen().root
    shooter = Shooter(desk, out, lang)
    failure = None
    try:
        PARTS[name](desk, shooter, program, simulator, workdir, private_home(workdir))
    except Exception as error:  # reported to the run that started this part
        failure = f"{lang} {name}: {type(error).__name__}: {error}"
    with open(os.path.join(workdir, f"{name}.json"), "w", encoding="utf-8") as f:
        json.dump({"shots": shooter.shots, "failure": failure}, f, ensure_ascii=False)
    return 0


def take_part(name, program, simulator, out, lang, workdir):
    """The part's shots and its failure (None when it was taken whole)."""
    result = os.path.join(workdir, f"{name}.json")
    if os.path.exists(result):
        os.remove(result)
    try:
        subprocess.run(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                        "--part", name, program, simulator, out, lang, workdir],
                       timeout=240, stderr=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return [], f"{lang} {name}: not done in 240 s"
    if not os.path.exists(result):
        return [], f"{lang} {name}: the part ended without a result"
    with open(result, encoding="utf-8") as f:
        got = json.load(f)
    return got["shots"], got["failure"]


def main():
    if sys.argv[1] == "--part":
        return run_part(*sys.argv[2:8])
    program, simulator, out = sys.argv[1], sys.argv[2], sys.argv[3]
    langs = sys.argv[4:] or ["ru", "en"]
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):
        if old.endswith((".png", ".pdf", ".html", ".json")):
            os.remove(os.path.join(out, old))
    desk = Desktop(SCREEN)
    # Qt takes its logical density from the Xft.dpi resource.
    subprocess.run(["xrdb", "-merge"], input=f"Xft.dpi: {DPI}\n", text=True, check=True,
                   timeout=10)
    shots, failures = [], []
    try:
        for lang in langs:
            print(f"{lang}:", flush=True)
            for name in PARTS:
                for attempt in (1, 2):
                    workdir = tempfile.mkdtemp(prefix=f"dut-gallery-{lang}-")
                    try:
                        taken, failure = take_part(name, program, simulator, out, lang,
                                                   workdir)
                    finally:
                        shutil.rmtree(workdir, ignore_errors=True)
                    if failure is None:
                        shots.extend(taken)
                        break
                    # A loaded machine can keep a program off the accessibility bus; the part
                    # is taken once more from its start.
                    print(f"  FAILED (attempt {attempt}):", failure, flush=True)
                    if attempt == 2:
                        shots.extend(taken)
                        failures.append(failure)
    finally:
        desk.stop()
    with open(os.path.join(out, "shots.json"), "w", encoding="utf-8") as f:
        json.dump({"screen": list(SCREEN), "dpi": DPI, "langs": langs, "shots": shots,
                   "failures": failures}, f, ensure_ascii=False, indent=1)
    write_index(out, shots)
    print(f"{len(shots)} pictures in {out}; {len(failures)} parts failed", flush=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
