"""The LLS monitor of the real program on a line where only a terminal talks: the configuration
exchange fails there and the port is closed again, yet the monitor, opened with Ctrl+Shift+L,
opens the port named in the port box and hears the terminal's requests. A port that cannot be
opened is named in one line of the monitor, with its reason. An adapter pulled while the monitor
listens is named as gone, the green marks turn grey, and once the adapter is back under its name
the monitor hears the terminal again with no click.
Usage: monitor_listens.py <program> <simulator> hears|cannot-open|replug (under
dbus-run-session; one program per accessibility bus, as the other scripts here)."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import processes
import texts
from accessible import ROLE
from desktop import XServer
from processes import wait_for
from session import Session

MONITOR = "Монитор работы LLS"
ADDRESSES = ["3", "5"]
GONE = "Адаптер {} отключён"
STABLE = "Уровень стабилен"
# The monitor is to listen again within about 2 s of the adapter's return; a loaded machine is
# given more.
BACK_WITHIN_S = 6


def cell_names(window):
    return [w.name for w in window.widgets(ROLE.TABLE_CELL) if w.name]


def holds(pid, device):
    """Whether the process has the device open."""
    try:
        fds = os.listdir(f"/proc/{pid}/fd")
    except OSError:
        return False
    for fd in fds:
        try:
            if os.readlink(f"/proc/{pid}/fd/{fd}") == device:
                return True
        except OSError:
            pass
    return False


def open_monitor(x, session):
    # The key works while the main window is the active one; no window manager gives it the
    # focus here.
    main_window = subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^" + texts.MAIN_CAPTION + "$"],
        capture_output=True, text=True, timeout=10).stdout.split()
    subprocess.run(["xdotool", "windowfocus", "--sync", main_window[0]], timeout=10, check=True)
    x.key("ctrl+shift+l")
    if not wait_for(lambda: session.ui.window(MONITOR) is not None, 15, step=0.1):
        return None
    return session.ui.window(MONITOR)


def packets(monitor):
    """What the statistics count: the sum of the monitor's numeric labels."""
    return sum(int(t) for t in monitor.labels() if t.isdigit())


def hears_the_terminal(x, program, simulator, workdir, problems, replug=False):
    link = os.path.join(workdir, "bus")
    sim = subprocess.Popen([simulator, "--lls-bus", "--link", link, "--addresses",
                            ",".join(ADDRESSES)], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    session = None
    try:
        if not wait_for(lambda: os.path.exists(link), 5):
            problems.append("the simulator made no bus")
            return
        device = os.path.realpath(link)
        session = Session(x, None, program, workdir)
        pid = session.process.pid
        session.enter_port(link)
        # Nothing speaks the configuration protocol here: the connect sequence fails and the
        # program closes the port again.
        if not wait_for(lambda: holds(pid, device), 30, step=0.05):
            problems.append("the program never opened the bus")
            return
        if not wait_for(lambda: not holds(pid, device), 30, step=0.05):
            problems.append("the failed connect left the port open")
            return
        monitor = open_monitor(x, session)
        if monitor is None:
            problems.append("Ctrl+Shift+L opened no monitor")
            return
        # The address row carries the polled addresses once their requests were heard.
        heard = lambda: set(ADDRESSES) <= set(cell_names(monitor)) and \
            "ok" in cell_names(monitor)
        if not wait_for(heard, 20, step=0.2):
            problems.append(f"the monitor heard nothing: {cell_names(monitor)}")
        if not holds(pid, device):
            problems.append("the monitor does not hold the port it listens on")
        trouble = [t for t in monitor.labels() if t.startswith(texts.PORT_CANNOT_OPEN)]
        if trouble:
            problems.append(f"a port problem shown on an open bus: {trouble}")
        if replug and not problems:
            follows_the_adapter(monitor, sim, link, pid, problems)
    finally:
        if session is not None:
            session.stop()
        processes.stop(sim)


def settled_marks(monitor):
    """The marked cells of the settled row, the last row: the named cells come row by row."""
    cells = cell_names(monitor)
    return cells[cells.index(STABLE) + 1:] if STABLE in cells else []


def follows_the_adapter(monitor, sim, link, pid, problems):
    # The simulated levels move and settle in turn; one settled is enough.
    if not wait_for(lambda: "ok" in settled_marks(monitor), 30, step=0.2):
        problems.append(f"no level ever settled: {cell_names(monitor)}")
        return
    gone = GONE.format(link)
    sim.send_signal(signal.SIGUSR1)
    # A pulled adapter's device name goes with it; a link left pointing at the old
    # pseudo-terminal could meet another program's one there. The re-plug makes it anew.
    wait_for(lambda: not holds(pid, os.path.realpath(link)), 10, step=0.05)
    try:
        os.remove(link)
    except FileNotFoundError:
        pass
    if not wait_for(lambda: any(t.startswith(gone) for t in monitor.labels()), 10, step=0.1):
        problems.append(f"the pulled adapter is not named as gone: {monitor.labels()}")
        return
    cells = cell_names(monitor)
    if "ok" in cells or "?" not in settled_marks(monitor):
        problems.append(f"green marks stay while nothing is heard: {cells}")
    before = packets(monitor)
    time.sleep(1)
    if packets(monitor) != before:
        problems.append("the counters moved with the adapter pulled")

    sim.send_signal(signal.SIGUSR2)
    back = time.monotonic()
    listens = lambda: packets(monitor) > before and os.path.exists(link) and \
        holds(pid, os.path.realpath(link))
    if not wait_for(listens, BACK_WITHIN_S, step=0.05):
        problems.append(f"nothing heard {BACK_WITHIN_S} s after the adapter came back: "
                        f"{monitor.labels()}")
        return
    print(f"the monitor heard the terminal again {time.monotonic() - back:.2f} s after the "
          "adapter came back")
    if any(t.startswith(gone) for t in monitor.labels()):
        problems.append("the adapter is still named as gone once it is back")


def names_a_port_it_cannot_open(x, program, workdir, problems):
    missing = os.path.join(workdir, "no-such-adapter")
    session = Session(x, None, program, workdir)
    try:
        session.enter_port(missing)
        if not wait_for(lambda: session.status() == texts.STATUS_PORT_FAILED, 30, step=0.2):
            problems.append(f"no failed open shown: {session.status()!r}")
            return
        monitor = open_monitor(x, session)
        if monitor is None:
            problems.append("Ctrl+Shift+L opened no monitor")
            return
        said = lambda: [t for t in monitor.labels() if t.startswith(texts.PORT_CANNOT_OPEN + missing)]
        if not wait_for(lambda: len(said()) == 1, 10, step=0.2):
            problems.append(f"the port and its reason not shown: {monitor.labels()}")
        elif "\n" in said()[0]:
            problems.append(f"the reason takes more than one line: {said()[0]!r}")
    finally:
        session.stop()


def main():
    program, simulator, case = sys.argv[1], sys.argv[2], sys.argv[3]
    workdir = tempfile.mkdtemp(prefix="dut-monitor-")
    x = XServer()
    problems = []
    try:
        if case in ("hears", "replug"):
            hears_the_terminal(x, program, simulator, workdir, problems, case == "replug")
        else:
            names_a_port_it_cannot_open(x, program, workdir, problems)
    finally:
        x.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    for problem in problems:
        print("FAILED:", problem)
    print(f"{0 if problems else 1} passed, {len(problems)} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
