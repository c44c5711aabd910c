#!/usr/bin/python3
"""The fault matrix through the real program: for every fault of the sensor or the line
(matrix_table.py), one simulated sensor and one start of the installed program on a private
X server; the user's operations run in turn, typed and clicked from outside, read back
through the accessibility bus and judged at the simulated sensor.

Usage (inside a D-Bus session, which carries the accessibility bus):
    dbus-run-session -- python3 run_matrix.py PROGRAM SIMULATOR [--only TEXT] [--table trust]

--table trust runs the sensor late, echoed and garbled in every combination instead
(trust_table.py)."""

import argparse
import os
import shutil
import sys
import tempfile
import time
import traceback

from desktop import XServer
import matrix_table
import operations
import trust_table
from processes import wait_for
from session import Session
from simulator import PortHolder, Simulator

# What a sanitizer build of the program prints when it finds a fault.
SANITIZER_REPORTS = ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer")


class Cell:
    def __init__(self, fault, op, expected, problems, seconds=0.0):
        self.fault, self.op, self.expected = fault, op, expected
        self.problems, self.seconds = problems, seconds

    def verdict(self):
        if not self.problems:
            return "ok"
        return "known" if self.fault.known_fault else "FAIL"


# The table run: its rows, its operations in order, and what runs each operation.
TABLES = {
    "faults": (matrix_table.FAULTS, matrix_table.OPERATIONS, operations.OPERATIONS, None),
    "trust": (trust_table.rows(), trust_table.OPERATIONS, trust_table.RUN, trust_table.summary),
}
OPERATIONS = matrix_table.OPERATIONS
RUN = operations.OPERATIONS


def run_fault(x, fault, program, simulator):
    """Runs the operations of one row in order against one program start."""
    cells = []
    workdir = tempfile.mkdtemp(prefix="dut-matrix-")
    sim = holder = session = None
    try:
        sim = Simulator(simulator, workdir, fault.sim_args)
        holder = PortHolder(sim.link) if fault.holder else None
        session = Session(x, sim, program, workdir)
        for op in OPERATIONS:
            expected = fault.expected[op]
            if cells and cells[0].problems:
                # Nothing after a connect that went wrong says anything about the fault.
                cells.append(Cell(fault, op, expected, ["not run: the connect went wrong"]))
                continue
            started = time.monotonic()
            try:
                problems = RUN[op](session, expected, fault)
            except Exception as error:  # a broken step fails its cell, not the whole run
                traceback.print_exc()
                problems = [f"{type(error).__name__}: {error}"]
            strays = session.take_alerts()
            if strays:
                problems.append(f"boxes left open: {strays}")
            if not session.alive():
                problems.append("the program died")
            cells.append(Cell(fault, op, expected, problems, time.monotonic() - started))
            show(cells[-1], sim)
            if not session.alive():
                break
        if holder is not None and session.alive() and not cells[0].problems:
            # The second program lets go: the next automatic reconnect finds the sensor.
            holder.release()
            ok = wait_for(lambda: session.status() == session.connected_text(), 12, 0.1)
            problems = [] if ok else [f"status {session.status()!r} after the port was freed"]
            cells.append(Cell(fault, "freed", "connected", problems))
            show(cells[-1], sim)
    except Exception as error:
        traceback.print_exc()
        cells.append(Cell(fault, "start", "running", [f"{type(error).__name__}: {error}"]))
        show(cells[-1], sim)
    finally:
        if session is not None:
            session.stop()
        if sim is not None:
            sim.stop()
        logs = [session.log_path] if session is not None else []
        logs += [sim.log_path] if sim is not None else []
        problems = [line for path in logs for line in sanitizer_reports(path)]
        if problems:
            cells.append(Cell(fault, "sanitizer", "silent", problems))
            show(cells[-1], None)
        if holder is not None:
            holder.release()
        shutil.rmtree(workdir, ignore_errors=True)
    return cells


def sanitizer_reports(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as log:
        lines = log.read().splitlines()
    return [line for line in lines if any(mark in line for mark in SANITIZER_REPORTS)][:10]


def show(cell, sim):
    print(f"{cell.verdict():5} {cell.fault.name:32} {cell.op:8} {cell.expected:10} "
          f"{cell.seconds:5.1f} s", flush=True)
    for problem in cell.problems:
        print(f"        - {problem}", flush=True)
    if cell.problems and cell.fault.known_fault:
        print(f"        known fault: {cell.fault.known_fault}", flush=True)
    elif cell.problems and sim is not None and not cell.problems[0].startswith("not run"):
        print("        simulator log, last lines:\n          "
              + sim.log_tail().replace("\n", "\n          "), flush=True)


def grid(cells):
    faults = []
    for cell in cells:
        if cell.fault not in faults:
            faults.append(cell.fault)
    ops = list(OPERATIONS)
    print("\n" + " " * 33 + "".join(f"{op:9}" for op in ops))
    for fault in faults:
        row = {c.op: c.verdict() for c in cells if c.fault is fault}
        print(f"{fault.name:33}" + "".join(f"{row.get(op, '-'):9}" for op in ops)
              + " ".join(f"{op}:{v}" for op, v in row.items() if op not in ops))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("simulator")
    parser.add_argument("--only", help="run only the faults whose name contains this text")
    parser.add_argument("--table", choices=sorted(TABLES), default="faults")
    args = parser.parse_args()
    global OPERATIONS, RUN
    table, OPERATIONS, RUN, summary = TABLES[args.table]
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        print("no D-Bus session: run this under dbus-run-session", file=sys.stderr)
        return 2

    faults = [f for f in table if not args.only or args.only in f.name]
    started = time.monotonic()
    cells = []
    x = XServer()
    try:
        for fault in faults:
            cells += run_fault(x, fault, args.program, args.simulator)
    finally:
        x.stop()
    grid(cells)
    for fault in {c.fault for c in cells if c.fault.known_fault}:
        if not any(c.problems for c in cells if c.fault is fault):
            print(f"\nThe known fault of '{fault.name}' did not show: drop its mark.")
    failed = sum(1 for c in cells if c.verdict() == "FAIL")
    known = sum(1 for c in cells if c.verdict() == "known")
    passed = sum(1 for c in cells if c.verdict() == "ok")
    print(f"\n{len(faults)} faults in {time.monotonic() - started:.0f} s; "
          f"{known} cells show a known fault of the program")
    if summary is not None:
        print(summary())
    print(f"{passed} passed, {failed} failed")
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
