"""Failing and waiting, and reading what the simulated unit received, shared by the scripts that
work the program under Xvfb (here and under wine)."""
import os
import subprocess
import sys
import time


class Checks:
    """fail() prints '<name> FAILED: message', photographs the screen into `shots` when given
    and ends the script with status 1; wait_for() returns what `find` finds within the time, or
    fails."""

    def __init__(self, name, shots=None):
        self.name = name
        self.shots = shots

    def fail(self, message):
        print(self.name + " FAILED: " + message)
        if self.shots:
            subprocess.run(["import", "-window", "root", os.path.join(self.shots, "failure.png")])
        sys.exit(1)

    def wait_for(self, what, find, seconds=10.0):
        end = time.time() + seconds
        while time.time() < end:
            found = find()
            if found:
                return found
            time.sleep(0.1)
        self.fail("no " + what + " within %.0f s" % seconds)


def received_frames(path):
    """The frames a simulated unit received, from the file ORQ_SYV_SIM_FRAMES named: one line
    each, the unit's location and then the frame's bytes in hexadecimal."""
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [bytes.fromhex(" ".join(line.split()[1:])) for line in f if line.strip()]


def command_received(path, code, value):
    """Whether the unit received the command frame (code, value), checksum included."""
    return any(len(f) == 7 and f[3] == code and f[4] == value for f in received_frames(path))
