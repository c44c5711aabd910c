#!/usr/bin/python3
"""Waits for a message box of the program with the given process id, read through the
accessibility bus, prints its text and presses its OK. Exits 0 when the text is the one
expected, 1 when another box came, 2 when none came in time.

Usage: answer_box.py PID TEXT SECONDS"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e",
                                "fault_matrix"))
from accessible import ROLE, Program, alert_text  # noqa: E402


def main():
    pid, expected, seconds = int(sys.argv[1]), sys.argv[2], float(sys.argv[3])
    program = Program(pid, seconds)
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        alerts = program.alerts()
        if alerts:
            text = alert_text(alerts[0])
            print(text)
            for button in alerts[0].named(ROLE.PUSH_BUTTON, "OK"):
                button.node.get_action_iface().do_action(0)
            return 0 if text == expected else 1
        time.sleep(0.1)
    print("no box", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
