"""Naming the port in step 1, judged by the status, the values shown and the buttons."""

import time

import texts
from outcomes import CONNECTED, NO_ANSWER, NO_NUMBER, PORT_BUSY
from processes import wait_for
from simulator import READ


def connect(s, expected, fault):
    problems = []
    mark = s.sim.mark()
    s.enter_port(s.sim.link)
    want = {CONNECTED: s.connected_text(), NO_NUMBER: texts.STATUS_NO_NUMBER,
            PORT_BUSY: texts.STATUS_PORT_FAILED}.get(expected)
    if expected == NO_ANSWER:
        # The typed name is used by the next automatic reconnect, which reads the address
        # (or what follows it) 16 times in vain and stops.
        last = fault.gives_up_at
        tried = wait_for(lambda: len(reads_of(s, last, mark)) >= 16, 15)
        if not tried:
            problems.append(f"the connect never tried the sensor 16 times: {s.sim.requests(mark)}")
        time.sleep(0.5)
        others = [r for r in s.sim.requests(mark)
                  if r.operation != READ or r.number not in (3, last)]
        if others:
            problems.append(f"after a failed read of parameter {last} it went on: {others[:5]}")
        want = texts.STATUS_AT_START
    elif not wait_for(lambda: s.status() == want, 12, step=0.1):
        problems.append(f"status {s.status()!r}, expected {want!r}")
        return problems
    if s.status() != want:
        problems.append(f"status {s.status()!r}, expected {want!r}")
    if expected in (CONNECTED, NO_NUMBER):
        shown = (s.field("address"), s.field("max"), s.field("min"))
        if shown != fault.shown:
            problems.append(f"address, full and empty shown as {shown}, expected {fault.shown}")
    if expected == PORT_BUSY and s.sim.requests(mark):
        problems.append(f"requests reached the sensor through a busy port: {s.sim.requests(mark)}")
    usable = expected == CONNECTED
    if not wait_for(lambda: s.buttons_enabled() == [usable] * 4, 2, step=0.1):
        problems.append(f"command buttons enabled {s.buttons_enabled()}, expected all {usable}")
    if usable and not wait_for(lambda: s.field("current") != "", 3, step=0.1):
        problems.append("no current value shown after the connect")
    return problems


def reads_of(s, param, since):
    return [r for r in s.sim.requests(since) if r.operation == READ and r.number == param]
