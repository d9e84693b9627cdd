"""Works the real Windows program under wine from the keyboard, as an operator would, and checks
what reached the simulated unit, the preset file and the settings file.

Usage: drive-program.py WORKDIR OUTPUT_DIR
WORKDIR holds orq-syv-settings.exe and the simulated FTD2XX.DLL; the program's settings file is
written there. The environment names the wine loader (WINE), its prefix, the display, the
simulated variant 5 unit and the file its received frames go to (OUTPUT_DIR/frames.txt).

The panel is worked with Tab: from the panel's first focus, two Tabs reach the output format,
eleven more the third SDI output's gain, twenty-seven more the Save button, one Shift+Tab the
Load button (the panel of a variant 5 unit).
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from checks import Checks, command_received, received_frames  # noqa: E402
from Xlib import X, display, protocol  # noqa: E402

WORKDIR, OUT = sys.argv[1:3]
SHOTS = os.path.join(OUT, "screenshots")
FRAMES = os.path.join(OUT, "frames.txt")
PROGRAM = os.path.join(WORKDIR, "orq-syv-settings.exe")
PRESET = os.path.join(WORKDIR, "wine-preset.orq730")
SETTINGS = os.path.join(WORKDIR, "orq-syv-settings.dat")
LIST_TITLE = "ORQ-SYV Settings v1.1"
PANEL_TITLE = "ORQ-SYV Settings"
CHECKS = Checks("WINE PROGRAM", SHOTS)
fail = CHECKS.fail
wait_for = CHECKS.wait_for


def windows_path(path):
    """The path as a Windows program under wine sees it: drive Z: is the root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def start(**environment):
    env = dict(os.environ, **environment)
    return subprocess.Popen([os.environ["WINE"], PROGRAM], env=env, cwd=WORKDIR,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def ended(process, seconds=30):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        fail("the program did not end within %d s" % seconds)


def visible(title):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"],
                          capture_output=True, text=True).stdout.split()


def focus_window(title, seconds=30):
    ids = wait_for("window " + title, lambda: visible(title), seconds)
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]], check=False)
    time.sleep(0.3)
    return ids[-1]


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "80"] + list(keys), check=True)


def tab(count):
    key(*(["Tab"] * count))


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)


def screenshot(name):
    subprocess.run(["import", "-window", "root", os.path.join(SHOTS, name)], check=True)


def close_window(window_id):
    """Asks the window to close, as a window manager's close button does."""
    d = display.Display()
    window = d.create_resource_object("window", int(window_id))
    event = protocol.event.ClientMessage(
        window=window, client_type=d.intern_atom("WM_PROTOCOLS"),
        data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
    window.send_event(event)
    d.flush()


def polls():
    return sum(1 for f in received_frames(FRAMES) if len(f) == 7 and f[3] == 0)


def choose_file(title, name):
    """Types a file name into the system's file dialog, which opens in the preset folder."""
    focus_window(title)
    screenshot("dialog-" + title + ".png")
    type_text(name)
    key("Return")


# The program's own screenshot hook: the device list, photographed once the unit is listed.
hook = os.path.join(SHOTS, "list-hook.png")
status = ended(start(ORQ_SYV_SCREENSHOT=windows_path(hook)), 60)
if status != 0 or not os.path.exists(hook) or os.path.getsize(hook) < 2000:
    fail("the screenshot hook gave no picture (exit status %d)" % status)
if os.path.exists(SETTINGS):
    os.remove(SETTINGS)

program = start()
focus_window(LIST_TITLE, 60)
# The probe's poll comes before the row; the rebuild follows at once.
wait_for("the probe's poll", lambda: polls() >= 1)
time.sleep(1)
screenshot("list.png")

# A second copy says that one runs, and ends, while the first goes on.
second = start()
focus_window("Cannot run program")
screenshot("second-copy.png")
key("Return")
if ended(second) != 0:
    fail("the second copy did not end with status 0")
if program.poll() is not None:
    fail("the first copy ended with the second")

focus_window(LIST_TITLE)
key("Down", "Return")

# The panel: the worker polls the unit.
focus_window(PANEL_TITLE)
probes = polls()
wait_for("the worker's polls", lambda: polls() > probes + 2)
time.sleep(0.5)
screenshot("panel.png")

# A menu choice: the fourth item down is "HD 1080i/60".
focus_window(PANEL_TITLE)
tab(2)
key("space")
time.sleep(0.5)
screenshot("menu.png")
key("Down", "Down", "Down", "Down", "Return")
wait_for("frame (4, 3)", lambda: command_received(FRAMES, 4, 3))

# A gain moved one step up from 0 dB.
tab(11)
key("Right")
wait_for("frame (21, 61)", lambda: command_received(FRAMES, 21, 61))

# A preset saved through the system's dialog into the folder "Présets 日本", then loaded back.
tab(27)
key("space")
choose_file("Save", "wine-preset")
wait_for("preset file", lambda: os.path.exists(PRESET) and os.path.getsize(PRESET) == 58)
with open(PRESET, "rb") as f:
    preset = f.read()
if preset[:2] != b"RP" or preset[16 + 3] != 3 or preset[16 + 20] != 61:
    fail("the preset does not hold the unit's settings: " + preset.hex())
focus_window(PANEL_TITLE)
key("shift+Tab", "space")
time.sleep(0.5)
key("Down", "Return")  # "Load From File..."
choose_file("Load", "wine-preset.orq730")
wait_for("block write", lambda: any(len(f) == 46 and f[4:44] == preset[16:56]
                                    for f in received_frames(FRAMES)))

# Escape closes the panel and the list comes back.
focus_window(PANEL_TITLE)
key("Escape")
list_window = focus_window(LIST_TITLE)
screenshot("list-again.png")

# Closing the list ends the program, which writes its settings file beside itself, CR LF.
close_window(list_window)
if ended(program) != 0:
    fail("the program did not end with status 0")
with open(SETTINGS, "rb") as f:
    text = f.read().decode()
for expected in ("[WINDOW]\r\n", "\r\nMAXIMIZED=0\r\n",
                 "\r\nPATH=" + windows_path(WORKDIR) + "\\\r\n"):
    if expected not in text:
        fail("settings file lacks %r: %r" % (expected, text))

# A program folder that takes no new file, as Program Files for a user: the settings file lives
# under %APPDATA% instead. The folder is made read-only by a mount, which root alone may make.
def read_only_mount():
    if subprocess.run(["mount", "--bind", WORKDIR, WORKDIR], capture_output=True).returncode:
        return False
    if subprocess.run(["mount", "-o", "remount,bind,ro", WORKDIR], capture_output=True).returncode:
        subprocess.run(["umount", WORKDIR])
        return False
    return True


prefix = os.environ["WINEPREFIX"]
users = os.path.join(prefix, "drive_c", "users")
if not read_only_mount():
    print("WINE PROGRAM: settings under %APPDATA% not checked: this machine cannot mount the "
          "program's folder read-only")
else:
    try:
        program = start()
        close_window(focus_window(LIST_TITLE, 60))
        if ended(program) != 0:
            fail("the program in a read-only folder did not end with status 0")
    finally:
        subprocess.run(["umount", WORKDIR], check=True)
    found = [os.path.join(users, user, "AppData", "Roaming", "ORQ-SYV Settings",
                          "orq-syv-settings.dat") for user in os.listdir(users)]
    if not any(os.path.exists(path) for path in found):
        fail("no settings file under %%APPDATA%%: looked for %s" % found)
print("WINE PROGRAM OK")
