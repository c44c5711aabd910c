"""The fault matrix: every fault of the simulated sensor or of the line, against every
operation of the user, with the outcome the program's behaviour calls for."""

from outcomes import (AS_READ, CONNECTED, DISABLED, FAILED, IGNORED, LOST, NO_ANSWER,
                      NO_NUMBER, PORT_BUSY, TAKEN, WRITTEN)

# Run in this order against one program start per fault: the widening works on the levels
# that F4 and F1 have just set.
OPERATIONS = ("connect", "F4", "F1", "F9", "widen", "output")


class Fault:
    def __init__(self, name, sim_args, outcomes, shown=("7", "3000", "200"), holder=False,
                 known_fault=None, gives_up_at=3):
        self.name = name
        self.sim_args = sim_args
        self.expected = dict(zip(OPERATIONS, outcomes))
        # Address, full and empty level that the connect shows.
        self.shown = shown
        # A second program holds the port from the start and lets go after the operations.
        self.holder = holder
        # A fault of the program that is known and not yet mended: its cells are still run
        # and judged against the outcome above, and reported, but do not fail the run.
        self.known_fault = known_fault
        # The parameter whose 16 vain reads end a connect that finds no sensor: the address,
        # unless something answered for it.
        self.gives_up_at = gives_up_at


WORKS = (CONNECTED, TAKEN, TAKEN, TAKEN, TAKEN, WRITTEN)
UNREACHABLE = (NO_ANSWER, IGNORED, IGNORED, IGNORED, IGNORED, DISABLED)
UNNUMBERED = (NO_NUMBER, IGNORED, IGNORED, IGNORED, IGNORED, AS_READ)

FAULTS = [
    Fault("no fault", [], WORKS),
    Fault("silent", ["--silent"], UNREACHABLE),
    Fault("bad CRC on every 2nd answer", ["--bad-crc-every", "2"], WORKS),
    Fault("bad CRC with probability 0.3", ["--bad-crc-rate", "0.3", "--seed", "3"], WORKS),
    Fault("short answers", ["--short"], UNREACHABLE),
    # Answers that still arrive within the 160 ms a 15-byte read may take.
    Fault("answers 150 ms late", ["--late", "150"], WORKS),
    # Stray bytes 5 ms after every answer: they spoil the read of an exchange that follows at
    # once, which waits for the line to fall quiet before it retries.
    Fault("garbage after the answers", ["--garbage"], WORKS),
    # Negative values read as 0: address, levels and the sensor number.
    Fault("negative values", ["--negative"], UNNUMBERED, shown=("0", "0", "0")),
    Fault("sensor number 0", ["--number-zero"], UNNUMBERED),
    # The raw value stands still, so that nothing the polling left behind can equal a
    # written value by chance when both exchanges of a command fail.
    Fault("adapter pulled during a command", ["--unplug-on-write", "--raw", "1834"],
          (CONNECTED, FAILED, FAILED, FAILED, FAILED, LOST)),
    # An adapter that hears its own requests: every operation as on a clean line.
    Fault("adapter echoes requests", ["--echo"], WORKS),
    # The echo alone never connects. Its copy of the address read cannot be told from a
    # sensor at address 1; the copy of the next read, of another parameter, tells.
    Fault("adapter echoes, no sensor", ["--echo", "--silent"], UNREACHABLE, gives_up_at=4),
    Fault("second program holds the port", [],
          (PORT_BUSY, IGNORED, IGNORED, IGNORED, IGNORED, DISABLED), holder=True),
]
