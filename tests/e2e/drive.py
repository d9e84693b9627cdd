"""Drives the running program as a person would, through the accessibility bus and the keyboard,
and checks what reached the simulated unit, the preset file and the settings file.

Usage: drive.py WORKDIR FRAMES_FILE SCREENSHOT_DIR
The program runs from WORKDIR (its settings file is written there) on a simulated variant 5 unit
whose received frames are appended to FRAMES_FILE.
"""
import os
import subprocess
import sys
import time

import pyatspi
from checks import Checks, command_received, received_frames

WORKDIR, FRAMES, SHOTS = sys.argv[1:4]
PRESET = os.path.join(WORKDIR, "e2e.orq730")
CHECKS = Checks("E2E", SHOTS)
fail = CHECKS.fail
wait_for = CHECKS.wait_for


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == "ORQ-SYV Settings":
            return app
    return None


def search(node, match, depth=0):
    if node is None or depth > 25:
        return None
    try:
        if match(node):
            return node
        for i in range(node.childCount):
            found = search(node.getChildAtIndex(i), match, depth + 1)
            if found:
                return found
    except Exception:
        return None
    return None


def by_description(name):
    """The control whose accessible description is its control name."""
    return lambda: search(application(), lambda n: n.description == name)


def by_name(name, role=None):
    return lambda: search(application(), lambda n: n.name == name and
                          (role is None or n.getRoleName() == role))


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("press", "Press", "click", "activate", "Trigger", "trigger"):
            action.doAction(i)
            return
    action.doAction(0)


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "50"] + list(keys), check=True)


def focus_window(title):
    ids = wait_for("window " + title, lambda: subprocess.run(
        ["xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"],
        capture_output=True, text=True).stdout.split())
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False)
    return ids[-1]


def close_window(window_id):
    """Asks the window to close, as a window manager's close button does."""
    from Xlib import X, display, protocol
    d = display.Display()
    window = d.create_resource_object("window", int(window_id))
    protocols = d.intern_atom("WM_PROTOCOLS")
    delete = d.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event)
    d.flush()


def screenshot(name):
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, name)], check=True)


def frames():
    return received_frames(FRAMES)


def sent(code, value):
    return command_received(FRAMES, code, value)


def choose_file(title, path):
    dialog = wait_for("dialog " + title, by_name(title))
    name_box = wait_for("file name box", lambda: search(
        dialog, lambda n: n.getRoleName() == "text" and "editable" in
        [s for s in map(pyatspi.stateToString, n.getState().getStates())]))
    name_box.queryEditableText().setTextContents(path)
    time.sleep(0.3)
    screenshot("dialog-" + title + ".png")
    key("Return")
    time.sleep(0.5)


# The list: the simulated unit is listed; Enter on its row opens the panel.
wait_for("listed unit", by_name("ORQ-SYV-730-TK", "table cell"))
# To a screen reader the list is a window named by its caption.
wait_for("the list as a frame", by_name("ORQ-SYV Settings v1.1", "frame"))
screenshot("list.png")
focus_window("ORQ-SYV Settings v1.1")
key("Down", "Return")

# The panel: its groups show once the unit's first reply is on it.
wait_for("panel contents", by_description("MBtnFormat"))
wait_for("first reply", lambda: search(application(), lambda n: n.description == "PanSN" and
                                       n.name == "E2E1"))
screenshot("panel.png")
wait_for("the panel as a dialog", by_name("ORQ-SYV Settings", "dialog"))

# A menu choice.
press(by_description("MBtnFormat")())
time.sleep(0.5)
screenshot("menu.png")
# The menu has the keyboard: the fourth item down is "HD 1080i/60".
key("Down", "Down", "Down", "Down", "Return")
wait_for("frame (4, 3)", lambda: sent(4, 3))
wait_for("new format on the panel", lambda: search(
    application(), lambda n: n.description == "MBtnFormat" and n.name.endswith("HD 1080i/60")))

# A gain moved.
by_description("TBarSDI3")().queryValue().currentValue = 75
wait_for("frame (21, 75)", lambda: sent(21, 75))
wait_for("gain label", lambda: search(application(), lambda n: n.description == "LabSDI3" and
                                      n.name == "1.5"))

# A preset saved, then loaded back.
press(by_description("BtnSave")())
choose_file("Save", PRESET)
wait_for("preset file", lambda: os.path.exists(PRESET) and os.path.getsize(PRESET) == 58)
with open(PRESET, "rb") as f:
    preset = f.read()
if preset[:2] != b"RP" or preset[16 + 3] != 3 or preset[16 + 20] != 75:
    fail("the preset does not hold the unit's settings: " + preset.hex())
press(by_description("MBtnLoad")())
time.sleep(0.5)
key("Down", "Return")  # "Load From File..."
choose_file("Load", PRESET)
wait_for("block write", lambda: any(len(f) == 46 and f[4:44] == preset[16:56] for f in frames()))

# Escape closes the panel and the list comes back.
focus_window("ORQ-SYV Settings")
key("Escape")
wait_for("list again", lambda: subprocess.run(
    ["xdotool", "search", "--onlyvisible", "--name", "^ORQ-SYV Settings v1.1$"],
    capture_output=True).returncode == 0)
screenshot("list-again.png")

# Closing the list as a window manager would ends the program, which writes its settings.
close_window(focus_window("ORQ-SYV Settings v1.1"))
settings = os.path.join(WORKDIR, "orq-syv-settings.dat")
wait_for("settings file", lambda: os.path.exists(settings))
with open(settings, "rb") as f:
    text = f.read().decode()
for expected in ("[WINDOW]\r\n", "\r\nMAXIMIZED=0\r\n", "\r\nPATH=" + WORKDIR + "/\r\n"):
    if expected not in text:
        fail("settings file lacks %r: %r" % (expected, text))
print("E2E OK")
