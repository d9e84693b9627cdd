"""Failing and waiting, shared by the scripts that work the program under Xvfb."""
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
