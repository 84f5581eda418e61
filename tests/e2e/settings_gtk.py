#!/usr/bin/env python3
"""Drives the real settings dialog, `lucenta -c`, on an X display with the keyboard only, as a user
would: choosing and storing, Esc and the close box, a method outside the list, and the notation export
through the file chooser.

usage: settings_gtk.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION
Needs DISPLAY (Xvfb), xdotool and ImageMagick's import."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import screen_checks
from harness import Program, check, ended, require, summary, wait_for
from screen_checks import screenshot
from x11_window import keyboard_held_elsewhere, press_close_box, window_icons

require("xdotool", "import", "convert", "xprop", "dbus-daemon", "pgrep", display=True,
        python=["import gi; gi.require_version('Atspi', '2.0')"])
lucenta, render, notation = (os.path.abspath(arg) for arg in sys.argv[1:4])
build = os.path.dirname(os.path.dirname(os.path.dirname(lucenta)))
source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CAMBRIDGE = "-3-14-125-36-147-58-169-70-18-9-19-E-19-9-18-70-169-58-147-36-125-14-3-12"
work = tempfile.mkdtemp()
# A session bus of the test's own, for the accessibility bus through which the controls are found (and for the
# idle watcher that the dialog starts); GTK keeps its own settings (the chooser's) in memory.
bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE, text=True)
env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"), GSETTINGS_BACKEND="memory",
           DBUS_SESSION_BUS_ADDRESS=bus.stdout.readline().strip())
CONTROLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_controls.py")
registry = os.path.join(work, "config", "lucenta", "registry.reg")
CONFIG_KEY = "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]"


def store(method, show_treble):
    os.makedirs(os.path.dirname(registry), exist_ok=True)
    with open(registry, "w", encoding="utf-8") as out:
        out.write(f'Windows Registry Editor Version 5.00\n\n{CONFIG_KEY}\n"Method"="{method}"\n'
                  f'"Show Treble"="{show_treble}"\n')


def stored():
    with open(registry, encoding="utf-8") as text:
        return text.read()


def windows_named(name):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + name + "$"], capture_output=True,
                          text=True).stdout.split()


# GTK under the sanitizers (with their slow unwinder) on a loaded machine can take many seconds.
PATIENCE = 60


def focused_window():
    return subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True).stdout.strip()


def focus_on(name):
    """A step: waits until the window of that name has the keyboard focus, where the next keys go. Keys sent
    to it before are lost; those sent after wait in its queue, however slowly it handles them."""
    def wait():
        if not wait_for(lambda: focused_window() in windows_named(name), PATIENCE, 0.1):
            raise StepFailed(f'"{name}" never had the focus (it went to {focused_window()})')
    return wait


def shown(name):
    """A step: waits until a modal window of the dialog (the chooser, a message box) is on the screen. From
    then on the dialog hands it the keys it gets; the focus stays on the dialog (no window manager moves it)."""
    def wait():
        if not wait_for(lambda: windows_named(name), PATIENCE, 0.1):
            raise StepFailed(f'"{name}" was never shown')
    return wait


def gone(name):
    """A step: waits until no window of that name is on the screen, so that keys go to the dialog again."""
    def wait():
        if not wait_for(lambda: not windows_named(name), PATIENCE, 0.1):
            raise StepFailed(f'"{name}" did not go')
    return wait


def menu_open():
    """A step: waits until the popup menu holds the keyboard, so that the next key goes to it."""
    if not wait_for(keyboard_held_elsewhere, PATIENCE, 0.1):
        raise StepFailed("no menu took the keyboard")


class StepFailed(Exception):
    pass


def focused():
    """The role and the name of each control that has the focus, as the accessibility bus tells them."""
    return subprocess.run(["/usr/bin/python3", CONTROLS, "focused"], env=env, capture_output=True,
                          text=True).stdout.splitlines()


def control(role, name):
    """A step: gives the focus to the control of that role and name, found by what it is, whatever its place in
    the Tab order, and waits until it has it."""
    def focus():
        grab = lambda: subprocess.run(["/usr/bin/python3", CONTROLS, "focus", role, name], env=env).returncode == 0
        if not wait_for(lambda: grab() and f"{role}: {name}" in focused(), PATIENCE, 0.2):
            raise StepFailed(f'the {role} "{name}" never had the focus ({focused()})')
    return focus


LIST = control("table", "Method")
SHOW_TREBLE = control("check box", "Show Treble")
SPEED = control("spin button", "Speed")
IDLE = control("check box", "Start after")
IDLE_MINUTES = control("spin button", "Minutes without input")


def keys(*names):
    for group in names:
        subprocess.run(["xdotool", "key", "--delay", "40", *group.split()], check=True)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)


class Dialog:
    """One run of the dialog: its exit status and, when a step failed, why."""

    def __init__(self, steps, args=("-c",)):
        process = Program([lucenta, *args], cwd=work, env=env)
        try:
            for step in [focus_on("Settings"), *steps]:
                step() if callable(step) else keys(step)
            self.status = ended(process, PATIENCE)
            self.failure = "" if self.status is not None else "the dialog did not end"
        except (StepFailed, subprocess.SubprocessError) as failure:
            self.status, self.failure = None, str(failure)
        self.evidence = f"{self.failure + '; ' if self.failure else ''}{process.evidence()}"
        process.stop()


def dialog(steps, args=("-c",)):
    """Opens the dialog, runs the steps (key groups or functions) and returns the Dialog run, whose status is
    None when a step failed or the dialog did not end."""
    return Dialog(steps, args)


def test_tab_order():
    seen = [[]]

    def moved():  # the focus, once it has left the control that had it
        seen.append(wait_for(lambda: focused() != seen[-1] and focused(), PATIENCE, 0.1))

    run = dialog([moved] + ["Tab", moved] * 6 + ["Escape"])
    del seen[0]
    order = [[item for item in step if "table cell" not in item] for step in seen]
    check("the focus starts on OK; Tab goes to Cancel, the list, the box, the speed and the idle row",
          run.status == 0 and order == [["push button: OK"], ["push button: Cancel"], ["table: Method"],
                                        ["check box: Show Treble"], ["spin button: Speed"], ["check box: Start after"],
                                        ["spin button: Minutes without input"]], (run.evidence, seen))


def test_choosing_and_storing():
    if os.path.exists(registry):
        os.remove(registry)

    def check_stored(name, steps, expected, args=("-c",)):
        run = dialog(steps, args)
        text = stored() if os.path.exists(registry) else "(no file)"
        check(name, run.status == 0 and all(value in text for value in expected), f"{run.evidence}; stored {text!r}")

    check_stored("a start without arguments opens the dialog; Enter stores the first item, a clear box and the "
                 "default speed", ["Return"], ['"Method"="0"', '"Show Treble"="0"', '"Speed"="60"'], args=())
    store(3, 0)
    check_stored("arrow keys choose, space toggles, Enter stores exactly the chosen values",
                 [LIST, "Down", SHOW_TREBLE, "space", "Return"], ['"Method"="4"', '"Show Treble"="1"'])
    check_stored("the speed is stored with the others on OK",
                 [SPEED, "ctrl+a", lambda: type_text("240"), "Return"], ['"Speed"="240"', '"Method"="4"'])
    before = stored()
    run = dialog([LIST, "Down Down", SHOW_TREBLE, "space", SPEED, "ctrl+a", lambda: type_text("0"), "Escape"])
    check("Esc stores nothing", run.status == 0 and stored() == before, f"{run.evidence}; stored {stored()!r}")
    run = dialog([LIST, "Down", lambda: press_close_box(int(windows_named("Settings")[0]))])
    check("the close box stores nothing", run.status == 0 and stored() == before, f"{run.evidence}; stored {stored()!r}")
    store(9, 5)
    check_stored("a stored method outside the list is kept through OK, also when the focus passes the list; "
                 "a box value of 5 shows clear and stores 0", [LIST, SHOW_TREBLE, "Return"],
                 ['"Method"="9"', '"Show Treble"="0"'])


def in_chooser(*steps):
    """Steps run once the file chooser has the focus."""
    def run():
        shown("Save As")()
        for step in steps:
            step() if callable(step) else keys(step)
    return run


def typed_name(name):
    """Types a file name into the chooser. GTK's chooser drops an Enter that comes right after the typing, while
    it completes the name: a user pauses before pressing it, and so does the test."""
    def run():
        type_text(name)
        time.sleep(0.5)
    return run


def written(path, text):
    """A step: waits until the file holds the text."""
    def wait():
        if not wait_for(lambda: os.path.exists(path) and open(path).read() == text, PATIENCE, 0.1):
            raise StepFailed(f"{path} never held the text")
    return wait


def test_export():
    store(6, 1)
    lead = os.path.join(work, "lead.txt")
    run = dialog(["ctrl+e", in_chooser(typed_name("lead"), "Return"), written(lead, CAMBRIDGE), "Escape"])
    check("Ctrl+E exports into a name typed without an extension: the file gets .txt and the lead's text",
          run.status == 0, run.evidence)
    # Were the chooser still open, the second Escape would close it and the dialog would stay.
    run = dialog(["ctrl+e", in_chooser(typed_name("nothing"), "Escape"), gone("Save As"), "Escape"])
    check("Esc in the chooser writes nothing; the dialog stays open",
          run.status == 0 and not os.path.exists(os.path.join(work, "nothing.txt")), run.evidence)
    with open(lead, "w") as old:
        old.write("old")
    run = dialog(["ctrl+e", in_chooser(typed_name("lead"), "Return", shown("Confirm Save As"), "Escape",
                                       gone("Confirm Save As"), "Escape"), gone("Save As"), "Escape"])
    check("an existing file is not overwritten without confirmation, also when .txt completed its name",
          run.status == 0 and open(lead).read() == "old", run.evidence)
    run = dialog(["ctrl+e", in_chooser(typed_name("lead"), "Return", shown("Confirm Save As"), "alt+y"),
                  written(lead, CAMBRIDGE), gone("Save As"), "Escape"])
    check("... and is replaced when the user says yes", run.status == 0, run.evidence)
    run = dialog([LIST, "Menu", menu_open, "Return", shown("Save As"), "Escape", gone("Save As"), "Escape"])
    check("the list's context menu (Menu key) offers the export", run.status == 0, run.evidence)
    store(8, 1)
    # Had Ctrl+E opened the chooser, the Escape would close it and the dialog would stay open.
    run = dialog(["ctrl+e", "Escape"])
    check("an index that names no method asks for no file", run.status == 0, run.evidence)


def test_failures_are_told():
    """The tests run as root, whom permissions do not stop: the settings folder and the export's file are
    made impossible to write by putting something of another kind in their place."""
    config = os.path.join(work, "config", "lucenta")
    shutil.rmtree(config)
    with open(config, "w") as blocker:
        blocker.write("not a folder")
    run = dialog(["Return", shown("Lucenta"), "Return", gone("Lucenta"), "Escape"])
    check("OK with settings that cannot be stored says so in a message box and keeps the dialog open",
          run.status == 0, run.evidence)
    os.remove(config)

    store(6, 1)
    os.makedirs(os.path.join(work, "sub.txt", "in the way"))
    run = dialog(["ctrl+e", in_chooser(typed_name("sub"), "Return", shown("Confirm Save As"), "alt+y"),
                  shown("Lucenta"), "Return", gone("Lucenta"), "Escape"])
    check("an export that cannot be written says so in a message box and keeps the dialog open",
          run.status == 0, run.evidence)


def geometry(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True, text=True).stdout
    width, height = out.split("Geometry:")[1].split()[0].split("x")
    return int(width), int(height)


def test_window_matches_its_menu_entry():
    seen = {}

    def look():
        window = windows_named("Settings")[0]
        seen["class"] = subprocess.run(["xprop", "-id", window, "WM_CLASS"], capture_output=True,
                                       text=True).stdout.split("=")[-1].strip()
        seen["icons"] = window_icons(int(window))
        seen["size"] = geometry(window)

    run = dialog([look, "Escape"])
    check("the dialog opens", run.status == 0, run.evidence)
    with open(os.path.join(source, "resources", "linux", "lucenta-settings.desktop")) as entry:
        startup_class = [line.split("=", 1)[1].strip() for line in entry if line.startswith("StartupWMClass=")]
    check("the window's class is the one its menu entry names",
          startup_class and seen.get("class") == f'"{startup_class[0]}", "{startup_class[0]}"', seen.get("class"))
    icons_dir = os.path.join(source, "resources", "linux", "icons")
    sizes = sorted(int(name.split(".")[0]) for name in os.listdir(icons_dir))
    icon = os.path.join(icons_dir, "16.png")
    rgba = subprocess.run(["convert", icon, "-depth", "8", "rgba:-"], capture_output=True, check=True).stdout
    argb = [rgba[k + 3] << 24 | rgba[k] << 16 | rgba[k + 1] << 8 | rgba[k + 2] for k in range(0, len(rgba), 4)]
    icons = seen.get("icons", {})
    check("its icon is the saver's own, at every size", sorted(icons) == sizes and
          icons[16] == argb, sorted(icons))

    # The desktop's font, much larger: the dialog grows with it, as the file chooser does.
    settings_ini = os.path.join(env["XDG_CONFIG_HOME"], "gtk-3.0", "settings.ini")
    os.makedirs(os.path.dirname(settings_ini), exist_ok=True)
    with open(settings_ini, "w") as ini:
        ini.write("[Settings]\ngtk-font-name = Sans 16\n")
    normal = seen.get("size", (0, 0))
    run = dialog([look, "Escape"])
    os.remove(settings_ini)
    check("the dialog grows with the desktop's font", seen["size"][0] > 1.4 * normal[0] and
          seen["size"][1] > 1.4 * normal[1], (normal, seen["size"], run.evidence))


# The dialog's layout in dialog units (the template and, beside it, the preview), as Windows converts them
# with the font's average character width and height.
DIALOG_UNITS = (254, 175)
PREVIEW_UNITS = (131, 7, 116, 131)


def mul_div(value, numerator, denominator):
    return (value * numerator + denominator // 2) // denominator


def preview_area(size):
    """Where the preview lies in the dialog (x, y, width, height), from the dialog's size in pixels."""
    char_width, char_height = round(4 * size[0] / DIALOG_UNITS[0]), round(8 * size[1] / DIALOG_UNITS[1])
    x, y, width, height = PREVIEW_UNITS
    return (mul_div(x, char_width, 4), mul_div(y, char_height, 8), mul_div(width, char_width, 4),
            mul_div(height, char_height, 8))


def preview_shows(method, seen):
    """A step: waits until the preview shows the rows of the method (its number) without the treble, as
    lucenta-render draws them at the preview's width."""
    def wait():
        window = windows_named("Settings")[0]
        x, y, width, height = preview_area(geometry(window))
        log = screen_checks.rendered_colours_log(render, tempfile.mkdtemp(dir=work), width, height, "--method",
                                                 str(method), "--no-treble")
        picture = screen_checks.Picture(notation, log, width, height, method=method, treble=False, period=3000)
        dialog_width = geometry(window)[0]

        def crop():
            shot = screenshot(window=window)
            return b"".join(shot[((y + row) * dialog_width + x) * 3:((y + row) * dialog_width + x + width) * 3]
                            for row in range(height))
        seen.append(wait_for(lambda: picture.steps_shown(crop()), PATIENCE, 0.2))
    return wait


def test_live_preview():
    store(6, 0)  # Cambridge Surprise, no treble
    seen = []
    run = dialog([preview_shows(7, seen), LIST, "Down", preview_shows(8, seen), "Escape"])
    check("the preview rings the stored method at its own width, as the renderer draws it", run.status == 0 and
          seen and seen[0], (run.evidence, seen))
    check("... and, once another method is chosen, that method's rows", len(seen) > 1 and seen[1], seen)
    check("... and stores nothing, writes no Colours.log", stored().count('"') == 8 and
          not os.path.exists(os.path.join(work, "Colours.log")), stored())


def watchers():
    return subprocess.run(["pgrep", "-f", f"^{lucenta} --idle"], capture_output=True, text=True).stdout.split()


def test_idle_entry():
    entry = os.path.join(env["XDG_CONFIG_HOME"], "autostart", "lucenta-idle.desktop")
    read = lambda: open(entry).read() if os.path.exists(entry) else ""
    run = dialog([IDLE, "space", IDLE_MINUTES, "ctrl+a", lambda: type_text("2"), "Return"])
    text = read()
    check("'Start after 2 minutes without input' writes the autostart entry and starts the watcher",
          run.status == 0 and f"Exec={lucenta} --idle 2\n" in text and "NotShowIn=MATE;XFCE;X-Cinnamon;" in text and
          wait_for(watchers, PATIENCE), (run.evidence, text, watchers()))
    started = watchers()
    run = dialog([LIST, "Down", "Return"])
    check("... another method stored: the watcher goes on (the saver reads the settings as it starts)",
          run.status == 0 and watchers() == started and read() == text, (run.evidence, started, watchers()))
    run = dialog([IDLE, "space", "Return"])
    check("... and the box, shown checked as the entry has it, cleared: the entry is turned off, the watcher goes",
          run.status == 0 and "\nHidden=true\n" in read() and wait_for(lambda: not watchers(), PATIENCE),
          (run.evidence, read(), watchers()))
    tweaked = f"[Desktop Entry]\nExec={lucenta} --idle 2.5 --method 7\nX-GNOME-Autostart-enabled=false\n"
    with open(entry, "w") as out:
        out.write(tweaked)
    run = dialog([LIST, "Down", "Return"])
    check("an entry that GNOME Tweaks turned off is shown off: storing another method leaves it as it is",
          run.status == 0 and read() == tweaked and not watchers(), (run.evidence, read(), watchers()))
    os.remove(entry)
    os.makedirs(entry)  # in the way of the file
    run = dialog([IDLE, "space", "Return", shown("Lucenta"), "Return", gone("Lucenta"), "Escape"])
    check("an entry that cannot be written says so in a message box and keeps the dialog open",
          run.status == 0 and not watchers(), run.evidence)
    os.rmdir(entry)


def test_no_display():
    result = subprocess.run([lucenta, "-c"], env=dict(env, DISPLAY=""), capture_output=True, text=True, timeout=20)
    check("without a display: status 1 and a line, naming the dialog's program and the display",
          result.returncode == 1 and result.stderr.startswith("lucenta-settings: ") and "display" in result.stderr,
          (result.returncode, result.stderr))
    settings = os.path.join(os.path.dirname(lucenta), "lucenta-settings")
    result = subprocess.run([settings, "--help"], env=dict(env, DISPLAY=""), capture_output=True, text=True,
                            timeout=20)
    check("lucenta-settings --help answers without a display", result.returncode == 0 and
          result.stdout.startswith("usage: lucenta-settings"), (result.returncode, result.stdout, result.stderr))


test_tab_order()
test_choosing_and_storing()
test_export()
test_failures_are_told()
test_window_matches_its_menu_entry()
test_live_preview()
test_idle_entry()
test_no_display()
subprocess.run(["rm", "-rf", work])
bus.terminate()
sys.exit(summary())
