"""The user's operations by name. Each is run against a session and judged against the
expected outcome of its cell, and returns the problems it found (empty: as expected)."""

from commands import hot_key, widen
from connecting import connect
from output_dialog import output

OPERATIONS = {
    "connect": connect,
    "F4": lambda s, expected, fault: hot_key(s, "F4", expected, fault),
    "F1": lambda s, expected, fault: hot_key(s, "F1", expected, fault),
    "F9": lambda s, expected, fault: hot_key(s, "F9", expected, fault),
    "widen": widen,
    "output": output,
}
