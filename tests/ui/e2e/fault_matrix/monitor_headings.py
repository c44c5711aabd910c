"""The LLS monitor of the real program as a screen reader reads it: opened with Ctrl+Shift+L
on a line where nothing has been said yet, its rows already carry their names, and
"Очистить" keeps them. Usage: monitor_headings.py <program> (under dbus-run-session)."""

import shutil
import subprocess
import sys
import tempfile

import texts
from accessible import ROLE
from desktop import XServer
from processes import wait_for
from session import Session

MONITOR = "Монитор работы LLS"
HEADINGS = ["Адрес LLS", "Запрос уровня топлива", "Ответ на запрос",
            "Число одинаковых подряд ответов", "Уровень стабилен"]


def cell_names(window):
    return [w.name for w in window.widgets(ROLE.TABLE_CELL) if w.name]


def main():
    program = sys.argv[1]
    workdir = tempfile.mkdtemp(prefix="dut-monitor-")
    x = XServer()
    session = None
    problems = []
    try:
        session = Session(x, None, program, workdir)
        # The key works while the main window is the active one; no window manager gives
        # it the focus here.
        main_window = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--name", "^" + texts.MAIN_CAPTION + "$"],
            capture_output=True, text=True, timeout=10).stdout.split()
        subprocess.run(["xdotool", "windowfocus", "--sync", main_window[0]], timeout=10,
                       check=True)
        x.key("ctrl+shift+l")
        if not wait_for(lambda: session.ui.window(MONITOR) is not None, 10, step=0.1):
            problems.append("Ctrl+Shift+L opened no monitor")
        else:
            monitor = session.ui.window(MONITOR)
            if not wait_for(lambda: cell_names(monitor)[:5] == HEADINGS, 5, step=0.1):
                problems.append(f"row names at opening: {cell_names(monitor)}")
            clear = monitor.named(ROLE.PUSH_BUTTON, "Очистить")
            if len(clear) != 1:
                problems.append("no single \"Очистить\" button")
            else:
                x.click(clear[0].centre())
                if not wait_for(lambda: cell_names(monitor)[:5] == HEADINGS, 5, step=0.1):
                    problems.append(f"row names after clearing: {cell_names(monitor)}")
    finally:
        if session is not None:
            session.stop()
        x.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    for problem in problems:
        print("FAILED:", problem)
    print(f"{0 if problems else 2} passed, {len(problems)} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
