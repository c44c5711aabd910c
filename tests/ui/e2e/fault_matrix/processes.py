"""Bounded waiting for the processes and conditions of the matrix."""

import subprocess
import time


def wait_for(condition, seconds, step=0.05):
    """Polls the condition until it holds or the time is up; returns whether it held."""
    deadline = time.monotonic() + seconds
    while True:
        if condition():
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(step)


def stop(process):
    """Ends a process that the matrix started: politely first, then for sure."""
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=5)
