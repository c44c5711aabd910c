"""A choice in the output settings dialog: written without read-back and without a box."""

import time

import texts
from accessible import ROLE
from commands import BOX_WAIT_S, after_command
from outcomes import DISABLED, FAILED, LOST, TAKEN, WRITTEN
from processes import wait_for


def output(s, expected, fault):
    problems = []
    mark = s.sim.mark()
    s.x.click(s.menu_button().centre())
    dialog = s.wait_window(texts.OUTPUT_DIALOG_CAPTION, BOX_WAIT_S)
    if dialog is None:
        return ["the output settings dialog did not open"]
    # The showing reads parameters 8 and 9; with a silent sensor each read takes 2.6 s.
    settle(s, mark, (8, 9))
    lists = sorted(dialog.widgets(ROLE.COMBO_BOX), key=lambda w: w.y)
    if len(lists) != 2:
        s.close_window(texts.OUTPUT_DIALOG_CAPTION)
        return [f"{len(lists)} lists in the output settings dialog"]
    enabled = [w.enabled() for w in lists]
    want = {WRITTEN: [True, True], LOST: [True, True], DISABLED: [False, False]}.get(expected)
    if want is not None and enabled != want:
        problems.append(f"lists enabled {enabled}, expected {want}")

    choices = ((lists[0], 8, texts.RESOLUTION_ITEMS, texts.RESOLUTION_CODES, 1),
               (lists[1], 9, texts.INTERVAL_ITEMS, texts.INTERVAL_CODES, 5))
    held = {}
    for widget, param, items, codes, kept_as in choices:
        since = s.sim.mark()
        if not widget.enabled():
            s.x.click(widget.centre())
            time.sleep(0.5)
            if s.sim.writes(since, param):
                problems.append(f"a disabled list wrote {s.sim.writes(since, param)}")
            continue
        current = items.index(widget.name) if widget.name in items else 0
        target = current + 1 if current + 1 < len(items) else current - 1
        trouble = choose(s, widget, target - current)
        if trouble:
            problems.append(trouble)
            continue
        if widget.text() != items[target]:
            problems.append(f"the list shows {widget.text()!r} after choosing {items[target]!r}")
        wrote = wait_for(lambda: s.sim.writes(since, param), 3)
        if expected == WRITTEN and not wrote:
            problems.append(f"choosing {items[target]!r} wrote nothing to {param}")
        elif wrote and s.sim.writes(since, param)[-1].value != codes[target]:
            problems.append(f"{items[target]!r} wrote {s.sim.writes(since, param)}")
        held[param] = codes[target] * kept_as
        if expected == LOST:
            break  # the adapter is out now
    boxes = s.take_alerts()
    if boxes:
        problems.append(f"a box appeared: {boxes}")
    if expected == WRITTEN:
        actual = s.sim.params()
        for param, value in held.items():
            if actual.get(param) != value:
                problems.append(f"the sensor holds {param} = {actual.get(param)}, not {value}")
    if not s.close_window(texts.OUTPUT_DIALOG_CAPTION):
        problems.append("the output settings dialog did not close")
    if expected in (WRITTEN, LOST):
        problems += after_command(s, TAKEN if expected == WRITTEN else FAILED)
    return problems


def settle(s, since, params, quiet_s=0.6, limit_s=12):
    """Waits until the sensor has seen no request for these parameters for a while."""
    def count():
        return sum(1 for r in s.sim.requests(since) if r.number in params)

    last, calm_since = count(), time.monotonic()
    deadline = time.monotonic() + limit_s
    while time.monotonic() < deadline:
        time.sleep(0.1)
        now = count()
        if now != last:
            last, calm_since = now, time.monotonic()
        elif time.monotonic() - calm_since >= quiet_s:
            return


def choose(s, widget, steps):
    """Opens a list with the mouse and moves its choice by steps items with the keyboard.
    Returns a problem, or None."""
    s.x.click(widget.centre())
    if not wait_for(widget.list_open, 5, step=0.1):
        return f"the list {widget.name!r} did not open"
    for _ in range(abs(steps)):
        s.x.key("Down" if steps > 0 else "Up")
    s.x.key("Return")
    if not wait_for(lambda: not widget.list_open(), 5, step=0.1):
        s.x.key("Escape")
        return f"the list {widget.name!r} stayed open"
    return None
