"""The commands that write and confirm: F4, F1 and F9, and the widening of the level
correction dialog. Whatever the cell expects, a success box is only right when the simulated
sensor holds the value that the window now shows as taken."""

import fractions
import time

import texts
from accessible import ROLE, alert_text
from outcomes import IGNORED, TAKEN
from processes import wait_for

HOT_KEYS = {"F4": ("max", 4), "F1": ("min", 5), "F9": ("address", 3)}
# A failing exchange holds on for about 2.6 s while a port is open; a widening makes four.
BOX_WAIT_S = 15


def number(text, default=1):
    try:
        return int(text.strip())
    except ValueError:
        return default


def past_level_question(s, box):
    """F1 after F4 on one raw value leaves full == empty: the program asks first, and the
    matrix means to write. The box that follows, if the question was one."""
    if box is None or not alert_text(box).startswith(texts.LEVEL_ORDER_QUESTION):
        return box
    s.press(box, "Да")
    return s.wait_alert(BOX_WAIT_S)


def hot_key(s, key, expected, fault):
    field, param = HOT_KEYS[key]
    success, failure = texts.MESSAGES[key]
    problems = []
    before = s.field(field)
    mark = s.sim.mark()
    s.x.key(key)
    if expected == IGNORED:
        s.status()  # returns once the program handles events again
        time.sleep(1.0)
        boxes = s.take_alerts()
        if boxes:
            problems.append(f"a box appeared: {boxes}")
        if s.sim.writes(mark):
            problems.append(f"written: {s.sim.writes(mark)}")
        if s.field(field) != before:
            problems.append(f"{field} changed from {before!r} to {s.field(field)!r}")
        return problems

    box = past_level_question(s, s.wait_alert(BOX_WAIT_S))
    if box is None:
        return [f"no box within {BOX_WAIT_S} s"]
    text = alert_text(box)
    if box.title != texts.APPLICATION_TITLE:
        problems.append(f"box titled {box.title!r}")
    s.press(box)
    shown = s.field(field)
    if text == success:
        problems += claim_held(s, {param: number(shown)}, mark)
        if key == "F9" and shown != "1":
            problems.append(f"address box shows {shown!r} after F9")
    problems += judge_box(text, expected, success, failure)
    problems += after_command(s, expected)
    return problems


def claim_held(s, values, since):
    """A success box: the sensor must hold each value, and the program must have written it.
    A write still on its way to the sensor (one that queued behind late answers) is given a
    moment to land; the sensor logs a request only once it has answered it."""
    held = {}

    def landed():
        held.update(s.sim.params())
        return all(held.get(param) == value and
                   any(w.value == value for w in s.sim.writes(since, param))
                   for param, value in values.items())

    if wait_for(landed, 2, step=0.2):
        return []
    problems = []
    for param, value in values.items():
        if held.get(param) != value:
            problems.append(f"success claimed, but the sensor holds parameter {param} = "
                            f"{held.get(param)}, not the {value} the window shows")
        if not any(w.value == value for w in s.sim.writes(since, param)):
            problems.append(f"success claimed, but {value} was never written to {param}")
    return problems


def judge_box(text, expected, success, failure):
    want = success if expected == TAKEN else failure
    return [] if text == want else [f"box says {text!r}, expected {want!r}"]


def after_command(s, expected):
    """The status that follows the command; a lost link must come back with the adapter."""
    if expected == TAKEN:
        return [] if s.status() == s.connected_text() else [f"status then {s.status()!r}"]
    problems = []
    lost = (texts.STATUS_LINK_LOST, texts.STATUS_PORT_FAILED)
    if not wait_for(lambda: s.status() in lost, 5, step=0.1):
        problems.append(f"status {s.status()!r} after the adapter was pulled")
    if s.sim.unplugged() and not s.sim.replug():
        problems.append("the simulator did not plug its adapter back")
    if not wait_for(lambda: s.status() == s.connected_text(), 12, step=0.1):
        problems.append(f"no reconnect after the adapter came back: {s.status()!r}")
    return problems


def widened(level_max, level_min):
    """Both levels moved apart by 5 % of their distance, halves rounded to even."""
    d = fractions.Fraction(level_max - level_min) / 20
    return round(level_max + d), round(level_min - d)


def widen(s, expected, fault):
    problems = []
    button = s.level_button()
    mark = s.sim.mark()
    if expected == IGNORED:
        if button.enabled():
            problems.append("the level correction button is enabled")
        s.x.click(button.centre())
        time.sleep(1.0)
        if s.ui.window(texts.LEVEL_DIALOG_CAPTION) is not None:
            problems.append("the level correction dialog opened")
            s.close_window(texts.LEVEL_DIALOG_CAPTION)
        if s.sim.writes(mark):
            problems.append(f"written: {s.sim.writes(mark)}")
        return problems

    before = (s.field("max"), s.field("min"))
    s.x.click(button.centre())
    dialog = s.wait_window(texts.LEVEL_DIALOG_CAPTION, 5)
    if dialog is None:
        return ["the level correction dialog did not open"]
    edits = (dialog.at(ROLE.TEXT, 168, 56), dialog.at(ROLE.TEXT, 168, 88))
    if tuple(e.text() for e in edits) != before:
        problems.append(f"dialog shows {tuple(e.text() for e in edits)}, main window {before}")
    new_max, new_min = widened(number(before[0]), number(before[1]))
    s.x.click(dialog.named(ROLE.PUSH_BUTTON, texts.WIDEN_BUTTON)[0].centre())
    confirm = s.wait_alert(5)
    if confirm is None:
        s.close_window(texts.LEVEL_DIALOG_CAPTION)
        return problems + ["no confirmation box"]
    if confirm.title != texts.CONFIRM_TITLE:
        problems.append(f"confirmation titled {confirm.title!r}")
    if alert_text(confirm) != texts.widen_confirmation(new_max, new_min):
        problems.append(f"confirmation says {alert_text(confirm)!r} for {before}")
    s.press(confirm)
    box = s.wait_alert(BOX_WAIT_S)
    if box is None:
        s.close_window(texts.LEVEL_DIALOG_CAPTION)
        return problems + [f"no outcome box within {BOX_WAIT_S} s"]
    text = alert_text(box)
    s.press(box)
    success, failure = texts.MESSAGES["widen"]
    after = (s.field("max"), s.field("min"))
    in_dialog = tuple(e.text() for e in edits)
    if text == success:
        problems += claim_held(s, {4: new_max, 5: new_min}, mark)
        if after != (str(new_max), str(new_min)) or in_dialog != after:
            problems.append(f"after success the levels show {after} and {in_dialog}")
    elif after != before:
        problems.append(f"after a failure the levels changed from {before} to {after}")
    problems += judge_box(text, expected, success, failure)
    if not s.close_window(texts.LEVEL_DIALOG_CAPTION):
        problems.append("the level correction dialog did not close")
    problems += after_command(s, expected)
    return problems
