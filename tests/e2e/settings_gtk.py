#!/usr/bin/env python3
"""Drives the real settings dialog, `lucenta -c`, on an X display with the keyboard only, as a user
would: choosing and storing, Esc and the close box, a method outside the list, and the notation export
through the file chooser.

usage: settings_gtk.py LUCENTA
Needs DISPLAY (Xvfb) and xdotool."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from screen_checks import check, ended, summary, wait_for
from x11_window import press_close_box, window_icons

lucenta = os.path.abspath(sys.argv[1])
build = os.path.dirname(os.path.dirname(os.path.dirname(lucenta)))
source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CAMBRIDGE = "-3-14-125-36-147-58-169-70-18-9-19-E-19-9-18-70-169-58-147-36-125-14-3-12"
work = tempfile.mkdtemp()
env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"))
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


def keys(*names):
    for group in names:
        subprocess.run(["xdotool", "key", "--delay", "40", *group.split()], check=True)
        time.sleep(0.25)


def type_text(text):
    subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)
    time.sleep(0.25)


def dialog(steps, args=("-c",)):
    """Opens the dialog, runs the steps (key groups or functions), returns its exit status."""
    process = subprocess.Popen([lucenta, *args], cwd=work, env=env, stderr=subprocess.DEVNULL)
    # GTK under the sanitizers (with their slow unwinder) on a loaded machine can take several seconds.
    if not wait_for(lambda: windows_named("Settings"), 30):
        process.kill()
        return None
    time.sleep(0.8)  # until it has the focus
    for step in steps:
        step() if callable(step) else keys(step)
    status = ended(process, 15)
    if status is None:
        process.kill()
    return status


def test_choosing_and_storing():
    if os.path.exists(registry):
        os.remove(registry)
    check("a start without arguments opens the dialog; Enter stores the first item, a clear box and the "
          "default speed",
          dialog(["Return"], args=()) == 0 and '"Method"="0"' in stored() and '"Show Treble"="0"' in stored() and
          '"Speed"="60"' in stored(), stored())
    store(3, 0)
    check("arrow keys choose, space toggles, Enter stores exactly the chosen values",
          dialog(["Tab Tab Down", "Tab space", "Return"]) == 0 and '"Method"="4"' in stored() and
          '"Show Treble"="1"' in stored(), stored())
    check("the speed, last in the Tab order, is stored with the others on OK",
          dialog(["Tab Tab Tab Tab", "ctrl+a", lambda: type_text("240"), "Return"]) == 0 and
          '"Speed"="240"' in stored() and '"Method"="4"' in stored(), stored())
    before = stored()
    check("Esc stores nothing", dialog(["Tab Tab Down Down", "Tab space", "Tab ctrl+a", lambda: type_text("0"),
                                        "Escape"]) == 0 and stored() == before)
    check("the close box stores nothing",
          dialog(["Tab Tab Down", lambda: press_close_box(int(windows_named("Settings")[0]))]) == 0 and
          stored() == before)
    store(9, 5)
    check("a stored method outside the list is kept through OK, also when the focus passes the list; "
          "a box value of 5 shows clear and stores 0",
          dialog(["Tab Tab Tab", "Return"]) == 0 and '"Method"="9"' in stored() and '"Show Treble"="0"' in stored(), stored())


def in_chooser(*steps):
    """Steps run once the file chooser is open."""
    def run():
        if not check("the file chooser opens", wait_for(lambda: windows_named("Save As"), 30)):
            return
        time.sleep(0.5)
        for step in steps:
            step() if callable(step) else keys(step)
    return run


def test_export():
    store(6, 1)
    lead = os.path.join(work, "lead.txt")
    check("Ctrl+E exports into a name typed without an extension: the file gets .txt and the lead's text",
          dialog(["ctrl+e", in_chooser(lambda: type_text("lead"), "Return"),
                  lambda: wait_for(lambda: os.path.exists(lead), 5), "Escape"]) == 0 and
          os.path.exists(lead) and open(lead).read() == CAMBRIDGE)
    check("Esc in the chooser writes nothing; the dialog stays open",
          dialog(["ctrl+e", in_chooser(lambda: type_text("nothing"), "Escape"), "Escape"]) == 0 and
          not os.path.exists(os.path.join(work, "nothing.txt")))
    with open(lead, "w") as old:
        old.write("old")
    confirmed = []
    check("an existing file is not overwritten without confirmation, also when .txt completed its name",
          dialog(["ctrl+e", in_chooser(lambda: type_text("lead"), "Return",
                                       lambda: confirmed.append(wait_for(lambda: windows_named("Confirm Save As"), 15)),
                                       "Escape", "Escape"), "Escape"]) == 0 and confirmed[0] and
          open(lead).read() == "old")
    check("... and is replaced when the user says yes",
          dialog(["ctrl+e", in_chooser(lambda: type_text("lead"), "Return",
                                       lambda: wait_for(lambda: windows_named("Confirm Save As"), 15), "alt+y"),
                  lambda: wait_for(lambda: open(lead).read() == CAMBRIDGE, 5), "Escape"]) == 0 and
          open(lead).read() == CAMBRIDGE)
    opened = []
    check("the list's context menu (Menu key) offers the export",
          dialog(["Tab Tab", "Menu", "Return",
                  lambda: opened.append(wait_for(lambda: windows_named("Save As"), 15)), "Escape", "Escape"]) == 0 and
          opened[0])
    store(8, 1)
    check("an index that names no method asks for no file",
          dialog(["ctrl+e", lambda: time.sleep(1), lambda: opened.append(windows_named("Save As")), "Escape"]) == 0
          and opened[-1] == [])


def test_failures_are_told():
    """The tests run as root, whom permissions do not stop: the settings folder and the export's file are
    made impossible to write by putting something of another kind in their place."""
    config = os.path.join(work, "config", "lucenta")
    shutil.rmtree(config)
    with open(config, "w") as blocker:
        blocker.write("not a folder")
    seen = []
    look = lambda: seen.append((windows_named("Lucenta"), windows_named("Settings")))
    status = dialog(["Return", lambda: wait_for(lambda: windows_named("Lucenta"), 15), look, "Return",
                     "Escape"])
    check("OK with settings that cannot be stored says so in a message box and keeps the dialog open",
          status == 0 and seen[0][0] and seen[0][1], seen)
    os.remove(config)

    store(6, 1)
    os.makedirs(os.path.join(work, "sub.txt", "in the way"))
    seen.clear()
    status = dialog(["ctrl+e", in_chooser(lambda: type_text("sub"), "Return",
                                          lambda: wait_for(lambda: windows_named("Confirm Save As"), 15), "alt+y",
                                          lambda: wait_for(lambda: windows_named("Lucenta"), 15), look, "Return"),
                     "Escape"])
    check("an export that cannot be written says so in a message box and keeps the dialog open",
          status == 0 and seen and seen[0][0] and seen[0][1], seen)


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

    check("the dialog opens", dialog([look, "Escape"]) == 0)
    with open(os.path.join(source, "resources", "linux", "lucenta-settings.desktop")) as entry:
        startup_class = [line.split("=", 1)[1].strip() for line in entry if line.startswith("StartupWMClass=")]
    check("the window's class is the one its menu entry names",
          startup_class and seen.get("class") == f'"{startup_class[0]}", "{startup_class[0]}"', seen.get("class"))
    icon = os.path.join(build, "resources", "linux", "icons", "16.png")
    rgba = subprocess.run(["convert", icon, "-depth", "8", "rgba:-"], capture_output=True, check=True).stdout
    argb = [rgba[k + 3] << 24 | rgba[k] << 16 | rgba[k + 1] << 8 | rgba[k + 2] for k in range(0, len(rgba), 4)]
    icons = seen.get("icons", {})
    check("its icon is the saver's own, at every size", sorted(icons) == [16, 32, 48, 64, 128, 256] and
          icons[16] == argb, sorted(icons))

    # The desktop's font, much larger: the dialog grows with it, as the file chooser does.
    settings_ini = os.path.join(env["XDG_CONFIG_HOME"], "gtk-3.0", "settings.ini")
    os.makedirs(os.path.dirname(settings_ini), exist_ok=True)
    with open(settings_ini, "w") as ini:
        ini.write("[Settings]\ngtk-font-name = Sans 16\n")
    normal = seen.get("size", (0, 0))
    dialog([look, "Escape"])
    os.remove(settings_ini)
    check("the dialog grows with the desktop's font", seen["size"][0] > 1.4 * normal[0] and
          seen["size"][1] > 1.4 * normal[1], (normal, seen["size"]))


def test_no_display():
    result = subprocess.run([lucenta, "-c"], env=dict(env, DISPLAY=""), capture_output=True, text=True, timeout=20)
    check("without a display: status 1 and a line naming the display",
          result.returncode == 1 and "display" in result.stderr, (result.returncode, result.stderr))


test_choosing_and_storing()
test_export()
test_failures_are_told()
test_window_matches_its_menu_entry()
test_no_display()
subprocess.run(["rm", "-rf", work])
sys.exit(summary())
