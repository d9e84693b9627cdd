"""Checks the main window's outer geometry against the settings file under a window manager.

Usage: frame.py WORKDIR SCREENSHOT_DIR (the program copy and its settings file are in WORKDIR;
DISPLAY, the driver and the simulated bus come from the environment).
"""
import os
import subprocess
import sys
import time

from checks import Checks
from Xlib import X, display, protocol

WORKDIR, SHOTS = sys.argv[1:3]
PROGRAM = os.path.join(WORKDIR, "orq-syv-settings")
SETTINGS = os.path.join(WORKDIR, "orq-syv-settings.dat")
TITLE = "ORQ-SYV Settings v1.1"
X11 = display.Display()
CHECKS = Checks("FRAME TEST")
fail = CHECKS.fail
wait_for = CHECKS.wait_for


def main_window():
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + TITLE + "$"],
                         capture_output=True, text=True).stdout.split()
    return X11.create_resource_object("window", int(ids[-1])) if ids else None


def outer(window):
    """The frame's left, top, width and height: the window's own place and size with the frame
    extents the window manager announced around it; None until it has announced them."""
    extents = window.get_full_property(X11.intern_atom("_NET_FRAME_EXTENTS"), X.AnyPropertyType)
    if extents is None:
        return None
    left, right, top, bottom = extents.value
    inner = window.get_geometry()
    at = window.translate_coords(X11.screen().root, 0, 0)
    return (-at.x - left, -at.y - top, inner.width + left + right, inner.height + top + bottom)


def settled(window, expected):
    """The outer geometry once it is `expected` and stays so for one more look."""
    end = time.time() + 10
    last = None
    while time.time() < end:
        now = outer(window)
        if now == expected and now == last:
            return now
        last = now
        time.sleep(0.1)
    fail("outer geometry %s, expected %s" % (last, expected))


def close(window):
    """Asks the window to close, as the window manager's close button does."""
    protocols = X11.intern_atom("WM_PROTOCOLS")
    delete = X11.intern_atom("WM_DELETE_WINDOW")
    window.send_event(protocol.event.ClientMessage(
        window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0])))
    X11.flush()


def stored():
    with open(SETTINGS, "rb") as f:
        keys = dict(line.split("=", 1) for line in f.read().decode().split("\r\n") if "=" in line)
    return tuple(int(keys[k]) for k in ("LEFT", "TOP", "WIDTH", "HEIGHT"))


def run(check):
    program = subprocess.Popen([PROGRAM])
    window = wait_for("main window", main_window)
    seen = check(window)
    close(window)
    try:
        program.wait(10)
    except subprocess.TimeoutExpired:
        program.kill()
        fail("the program did not end when its window closed")
    return seen


with open(SETTINGS, "wb") as f:
    f.write(b"[WINDOW]\r\nLEFT=100\r\nTOP=80\r\nWIDTH=640\r\nHEIGHT=480\r\n")

# A stored geometry is the frame's.
def framed_as_stored(window):
    settled(window, (100, 80, 640, 480))
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, "framed.png")], check=True)


run(framed_as_stored)


# The operator makes the window larger: what is written is the frame's new geometry.
def enlarge(window):
    settled(window, (100, 80, 640, 480))
    inner = window.get_geometry()
    subprocess.run(["xdotool", "windowsize", str(window.id), str(inner.width + 60),
                    str(inner.height + 40)], check=True)
    return settled(window, (100, 80, 700, 520))


framed = run(enlarge)
if stored() != framed:
    fail("written %s, but the frame was %s" % (stored(), framed))

# The written geometry gives the same window again.
run(lambda window: settled(window, framed))
if stored() != framed:
    fail("a second run wrote %s, not %s" % (stored(), framed))
print("FRAME TEST OK: outer geometry %s" % (framed,))
