"""The sensor late, echoed and garbled in every combination: whatever the line does, the window
shows only what the sensor holds, and a success box only for a value the sensor took.

Each row is one simulated sensor with the raw value held still (so that nothing the polling
left behind can equal a written value by chance) and its own address and levels, so that a
value taken from another parameter's answer or from a copy of the request shows."""

import commands
import texts
from accessible import alert_text
from matrix_table import Fault
from processes import wait_for
from session import SENSOR_NUMBER, SENSOR_VERSION

OPERATIONS = ("connect", "F4", "F1", "F9")
# Outcomes of this table: the values shown are the sensor's, or nothing is shown.
AS_HELD = "as held"
# A success box only where the sensor holds the value; a failure box is the safe side.
NO_LIE = "no lie"

RAW = 1834
ADDRESS, FULL, EMPTY = 7, 3000, 200
SIM_ARGS = ["--raw", str(RAW), "--full", str(FULL), "--empty", str(EMPTY),
            "--address", str(ADDRESS)]


def rows():
    faults = []
    for echo in (False, True):
        for late in (0, 150, 155, 170, 200):
            for bad in (0, 0.3):
                name = (f"{'echo' if echo else 'clean'} late {late}"
                        + (f" bad CRC {bad}" if bad else ""))
                args = list(SIM_ARGS)
                args += ["--echo"] if echo else []
                args += ["--late", str(late)] if late else []
                args += ["--bad-crc-rate", str(bad), "--seed", str(late + 1)] if bad else []
                faults.append(Fault(name, args, (AS_HELD, NO_LIE, NO_LIE, NO_LIE),
                                    shown=(str(ADDRESS), str(FULL), str(EMPTY))))
    return faults


# Failure boxes where the sensor did take the value, by command: reported at the end.
SAFE_FAILURES = []


def connect(s, expected, fault):
    s.enter_port(s.sim.link)
    connected = s.connected_text()
    # A late sensor takes two attempts and a wait for its owed answer on every read.
    if not wait_for(lambda: s.status() == connected, 30, step=0.2):
        status = s.status()
        shown = [s.field(f) for f in ("address", "max", "min", "current")]
        if status == connected or any(shown):
            return [f"not connected ({status!r}), yet shown {shown}"]
        return [f"never connected: status {status!r}"]
    problems = []
    held = s.sim.params()
    want = {"address": held[3], "max": held[4], "min": held[5]}
    for field, value in want.items():
        if s.field(field) != str(value):
            problems.append(f"{field} shown as {s.field(field)!r}, the sensor holds {value}")
    if held[7] != SENSOR_NUMBER or held[10] != SENSOR_VERSION:
        problems.append(f"the sensor holds number {held[7]} version {held[10]}")
    if not wait_for(lambda: s.field("current") == str(RAW), 5, step=0.2):
        problems.append(f"current value {s.field('current')!r}, the sensor's raw is {RAW}")
    return problems


def command(key):
    def run(s, expected, fault):
        field, param = commands.HOT_KEYS[key]
        success, failure = texts.MESSAGES[key]
        mark = s.sim.mark()
        s.x.key(key)
        box = commands.past_level_question(s, s.wait_alert(commands.BOX_WAIT_S))
        if box is None:
            return [f"no box within {commands.BOX_WAIT_S} s"]
        text = alert_text(box)
        s.press(box)
        wanted = 1 if key == "F9" else RAW
        problems = []
        written = [w.value for w in s.sim.writes(mark, param)]
        if any(v != wanted for v in written):
            problems.append(f"wrote {written} into parameter {param}, the installer chose {wanted}")
        if text == success:
            problems += commands.claim_held(s, {param: wanted}, mark)
        elif text == failure:
            held = s.sim.params().get(param)
            if held == wanted:
                SAFE_FAILURES.append(f"{fault.name}: {key}")
        else:
            problems.append(f"box says {text!r}")
        # Whatever the box said, the window must come back to the sensor's values.
        if not wait_for(lambda: s.status() == s.connected_text(), 30, step=0.2):
            problems.append(f"status then {s.status()!r}")
        return problems
    return run


RUN = {"connect": connect, "F4": command("F4"), "F1": command("F1"), "F9": command("F9")}


def summary():
    return (f"{len(SAFE_FAILURES)} failure boxes where the sensor had taken the value"
            + (": " + ", ".join(SAFE_FAILURES) if SAFE_FAILURES else ""))

