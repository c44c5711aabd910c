"""Prints the texts of the labels of one window of a running program, one a line, as the
accessibility bus shows them, so a shell script can read what a window says.
Usage: window_labels.py <pid> <window title> (the program started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on the same D-Bus session)."""

import sys

from accessible import Program


def main():
    pid, title = int(sys.argv[1]), sys.argv[2]
    window = Program(pid, wait_s=30.0).window(title)
    if window is None:
        print(f"no window '{title}'", file=sys.stderr)
        return 1
    for text in window.labels():
        print(text.replace("\n", " "))
    return 0


if __name__ == "__main__":
    sys.exit(main())
