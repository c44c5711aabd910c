"""Prints the screen point at the middle of one push button of a running program's window,
as the accessibility bus places it, so a shell script can click it where a user would.
Usage: button_centre.py <pid> <window title> <button text> (the program started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same D-Bus session)."""

import sys

from accessible import ROLE, Program


def main():
    pid, title, text = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    window = Program(pid, wait_s=30.0).window(title)
    if window is None:
        print(f"no window '{title}'", file=sys.stderr)
        return 1
    buttons = [b for b in window.named(ROLE.PUSH_BUTTON, text) if b.enabled()]
    if len(buttons) != 1:
        print(f"{len(buttons)} enabled buttons '{text}' in '{title}'", file=sys.stderr)
        return 1
    x, y = buttons[0].centre()
    print(x, y)
    return 0


if __name__ == "__main__":
    sys.exit(main())
