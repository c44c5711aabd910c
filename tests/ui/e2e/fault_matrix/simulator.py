"""The simulated sensor (dut-sensor-sim) as the judge: its --verbose log lists every request
frame that reached it ("rx <15 bytes in hex>"), SIGHUP makes it print the parameters it
holds, SIGUSR1 and SIGUSR2 pull and plug back its adapter."""

import os
import select
import signal
import subprocess
import sys

import processes
from processes import wait_for

READ, WRITE = 1, 2


class Request:
    def __init__(self, frame):
        self.operation = frame[8]
        self.number = frame[9]
        self.value = int.from_bytes(bytes(frame[10:14]), "little", signed=True)

    def __repr__(self):
        kind = {READ: "read", WRITE: "write"}.get(self.operation, f"op{self.operation}")
        return f"{kind} {self.number}={self.value}"


class Simulator:
    def __init__(self, program, workdir, args):
        self.link = os.path.join(workdir, "sensor")
        self.log_path = os.path.join(workdir, "sim.log")
        self.out_path = os.path.join(workdir, "sim.out")
        with open(self.log_path, "wb") as log, open(self.out_path, "wb") as out:
            self.process = subprocess.Popen(
                [program, "--link", self.link, "--no-pacing", "--address", "7", "--verbose"]
                + list(args), stdout=out, stderr=log)
        if not wait_for(lambda: os.path.exists(self.link), 5):
            raise RuntimeError("the simulator made no device: " + self.log_tail())

    def stop(self):
        processes.stop(self.process)

    def _lines(self, path):
        with open(path, "r", encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()

    def requests(self, since=0):
        """Request frames received, from the since-th on."""
        frames = [line[3:].split() for line in self._lines(self.log_path) if line.startswith("rx ")]
        return [Request([int(b, 16) for b in f]) for f in frames[since:] if len(f) == 15]

    def mark(self):
        return len(self.requests())

    def writes(self, since=0, number=None):
        return [r for r in self.requests(since)
                if r.operation == WRITE and (number is None or r.number == number)]

    def params(self):
        """The parameters the sensor holds now."""
        before = self._params_lines()
        self.process.send_signal(signal.SIGHUP)
        if not wait_for(lambda: len(self._params_lines()) > len(before), 5):
            raise RuntimeError("the simulator printed no parameters")
        fields = self._params_lines()[-1].split()[1:]
        return {int(k): int(v) for k, v in (f.split("=") for f in fields)}

    def _params_lines(self):
        return [line for line in self._lines(self.out_path) if line.startswith("params ")]

    def plugged_in_count(self):
        return sum(1 for line in self._lines(self.log_path) if line == "plugged in")

    def unplugged(self):
        lines = [line for line in self._lines(self.log_path)
                 if line in ("unplugged", "plugged in")]
        return bool(lines) and lines[-1] == "unplugged"

    def replug(self):
        before = self.plugged_in_count()
        self.process.send_signal(signal.SIGUSR2)
        return wait_for(lambda: self.plugged_in_count() > before, 5)

    def log_tail(self, lines=15):
        return "\n".join(self._lines(self.log_path)[-lines:])


class PortHolder:
    """Another program that holds the sensor's port, as a terminal program does: it opens the
    device and takes the exclusive lock (and TIOCEXCL) before the configurator comes."""

    _CODE = (
        "import fcntl, os, signal, sys, termios\n"
        "fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)\n"
        "fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)\n"
        "fcntl.ioctl(fd, termios.TIOCEXCL)\n"
        "print('held', flush=True)\n"
        "signal.pause()\n"
    )

    def __init__(self, path):
        self.process = subprocess.Popen([sys.executable, "-c", self._CODE, path],
                                        stdout=subprocess.PIPE, text=True)
        ready, _, _ = select.select([self.process.stdout], [], [], 10)
        if not ready or self.process.stdout.readline().strip() != "held":
            self.release()
            raise RuntimeError("the second program could not take the port")

    def release(self):
        processes.stop(self.process)
        self.process.stdout.close()
