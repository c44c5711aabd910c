"""Two things the main window of the real program must show rightly, judged on the screen
through the accessibility bus and at the simulated sensor:
  stale   the adapter is pulled: the current value, the output level with its bar and the
          chart turn insensitive (greyed) and keep their texts; plugged back, they are live
          again at the next good read.
  levels  F4 with the tank empty (full would equal empty): a question names both values, and
          "Нет" or Escape writes nothing; "Да" writes.
Usage: main_window_marks.py <program> <simulator> stale|levels (under dbus-run-session)."""

import shutil
import signal
import sys
import tempfile
import time

import texts
from accessible import ROLE, alert_text
from desktop import XServer
from processes import wait_for
from session import Session
from simulator import Simulator

# Top left corners in the main window of what the link's loss must mark.
MARKED = {
    "current value": (ROLE.LABEL, 465, 374),    # Edit1
    "output level": (ROLE.LABEL, 517, 536),     # Label11
    "output bar": (ROLE.PROGRESS_BAR, 125, 536),
}
EMPTY = 200
QUESTION = (f"ВНИМАНИЕ!\nПолный уровень {EMPTY} не выше пустого уровня {EMPTY}.\n"
            "С такими уровнями у датчика не будет рабочего выхода.\nЗаписать ?")


def connected(s, problems):
    s.enter_port(s.sim.link)
    if not wait_for(lambda: s.status() == s.connected_text(), 20, step=0.1):
        problems.append(f"never connected: {s.status()!r}")
        return False
    if not wait_for(lambda: s.field("current") != "", 5, step=0.1):
        problems.append("no current value after the connect")
        return False
    return True


def sensitivity(s):
    main = s.main()
    return {name: main.at(*place).enabled() for name, place in MARKED.items()}


def stale(s, problems):
    if not connected(s, problems):
        return
    live = {name: True for name in MARKED}
    if not wait_for(lambda: sensitivity(s) == live, 5, step=0.2):
        problems.append(f"not live while connected: {sensitivity(s)}")
    texts_before = (s.field("current"), s.main().at(*MARKED["output level"]).text())
    s.sim.process.send_signal(signal.SIGUSR1)  # the adapter pulled out
    if not wait_for(lambda: s.status() == texts.STATUS_LINK_LOST, 15, step=0.1):
        problems.append(f"the loss not shown: {s.status()!r}")
        return
    greyed = {name: False for name in MARKED}
    if not wait_for(lambda: sensitivity(s) == greyed, 3, step=0.1):
        problems.append(f"old values still look live: {sensitivity(s)}")
    texts_after = (s.field("current"), s.main().at(*MARKED["output level"]).text())
    if texts_after != texts_before:
        problems.append(f"the texts changed from {texts_before} to {texts_after}")
    started = time.monotonic()
    if not s.sim.replug():
        problems.append("the simulator did not plug back")
        return
    if not wait_for(lambda: sensitivity(s) == live, 20, step=0.2):
        problems.append(f"not live again after the re-plug: {sensitivity(s)}")
    else:
        print(f"live again {time.monotonic() - started:.1f} s after the re-plug")


def ask_and_answer(s, answer, problems):
    """F4, then the question answered by clicking a button or by a key; what was written."""
    mark = s.sim.mark()
    s.x.key("F4")
    box = s.wait_alert(10)
    if box is None:
        problems.append(f"F4 ({answer}): no question")
        return None
    if alert_text(box) != QUESTION:
        problems.append(f"F4 ({answer}): the question reads {alert_text(box)!r}")
    if answer == "Escape":
        s.x.key("Escape")
        wait_for(lambda: all(a.node != box.node for a in s.ui.alerts()), 5)
    else:
        s.press(box, answer)
    return mark


def levels(s, problems):
    if not connected(s, problems):
        return
    shown = s.field("max")
    for answer in ("Нет", "Escape"):
        mark = ask_and_answer(s, answer, problems)
        if mark is None:
            return
        time.sleep(1.0)  # a write, were one sent, reaches the sensor within this
        if s.sim.writes(mark):
            problems.append(f"{answer}: written {s.sim.writes(mark)}")
        boxes = s.take_alerts()
        if boxes:
            problems.append(f"{answer}: a box after the answer: {boxes}")
        if s.field("max") != shown:
            problems.append(f"{answer}: the full level shows {s.field('max')!r}, not {shown!r}")
    held = s.sim.params()
    if held[4] != 3000 or held[5] != EMPTY:
        problems.append(f"the sensor holds full {held[4]}, empty {held[5]}")
    # "Да" goes on as before: written and confirmed.
    mark = ask_and_answer(s, "Да", problems)
    if mark is None:
        return
    box = s.wait_alert(10)
    if box is None or alert_text(box) != texts.MESSAGES["F4"][0]:
        problems.append(f"after Да: {alert_text(box) if box else 'no box'}")
    if box is not None:
        s.press(box)
    if s.sim.params()[4] != EMPTY:
        problems.append(f"after Да the sensor holds full {s.sim.params()[4]}")


def main():
    program, simulator, case = sys.argv[1], sys.argv[2], sys.argv[3]
    workdir = tempfile.mkdtemp(prefix="dut-marks-")
    x = XServer()
    problems = []
    sim = session = None
    try:
        sim = Simulator(simulator, workdir, ["--raw", str(EMPTY), "--empty", str(EMPTY)])
        session = Session(x, sim, program, workdir)
        {"stale": stale, "levels": levels}[case](session, problems)
    finally:
        if session is not None:
            session.stop()
        if sim is not None:
            sim.stop()
        x.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    for problem in problems:
        print("FAILED:", problem)
    print(f"{0 if problems else 1} passed, {len(problems)} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
