#!/usr/bin/env python3
"""Lucenta in xscreensaver's own settings (xscreensaver-settings of Debian's xscreensaver 6): the panel reads
lucenta.xml without a complaint and takes the command line that the XML yields for a chosen set of values as its
own, and the preview it runs with that command shows that picture: the chosen method, no treble, the chosen
wavelengths and intensity.

usage: xscreensaver_panel.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION LUCENTA_XML
Needs DISPLAY (Xvfb), xscreensaver, unshare and mount (the panel reads its XML files from a fixed folder, over
which the test's own is mounted, in a mount namespace of its own), ImageMagick's import and setpriv: the panel
runs as the user nobody, as it refuses to run as root."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as tree

import screen_checks
from harness import AS_NOBODY, Program, check, copy_for_nobody, require, summary, wait_for
from screen_checks import screenshot

CONFIG = "/usr/share/xscreensaver/config"
CHOSEN = {"method": "cambridge-surprise", "treble": "hide-treble", "bottom": 500, "top": 600, "intensity": 1.5}


def command_from_xml(xml_path, chosen):
    """The command line that xscreensaver builds from the XML for the chosen values: a menu's option adds its
    arg-set, a slider adds its arg unless at its default."""
    saver = tree.parse(xml_path).getroot()
    words = [saver.get("name"), saver.find("command").get("arg")]
    for control in saver.iter():
        value = chosen.get(control.get("id"))
        if control.tag == "select" and value is not None:
            words.append(next(o for o in control if o.get("id") == value).get("arg-set"))
        elif control.tag == "number" and value is not None and float(value) != float(control.get("default")):
            words.append(control.get("arg").replace("%", f"{value:g}"))
    return " ".join(w for w in words if w)


def expected_log(width, height, work):
    """Colours.log of the picture with the chosen settings at that width, as the headless renderer writes it."""
    return screen_checks.rendered_colours_log(render, os.path.join(work, "render"), width, height, "--method", "7",
                                              "--no-treble", "--bottom", "500", "--top", "600", "--intensity", "1.5")


def window_size(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True, text=True).stdout
    width, height = re.search(r"Geometry: (\d+)x(\d+)", out).groups()
    return int(width), int(height)


def main():
    global render
    require("xscreensaver-settings", "import", "unshare", "mount", "setpriv", "pkill", display=True, root=True)
    lucenta, render, notation, xml_path = (os.path.abspath(arg) for arg in sys.argv[1:5])
    work = tempfile.mkdtemp()
    os.chmod(work, 0o755)
    home, config, tools = (os.path.join(work, name) for name in ("home", "config", "bin"))
    for folder in (home, config, tools):
        os.makedirs(folder)
    shutil.copy(xml_path, config)
    copy_for_nobody(lucenta, tools)
    shutil.chown(home, "nobody", "nogroup")
    command = command_from_xml(xml_path, CHOSEN)
    with open(os.path.join(home, ".xscreensaver"), "w") as settings:
        settings.write("mode:\t\tone\nselected:\t0\nprograms:\t\t\t\t\t\t\t      \\\n"
                       f"\t\t\t\t{command}\t\t\t\t    \\n\\\n\n")
    panel = Program(["unshare", "-m", "sh", "-c", f'mount --bind "$1" {CONFIG} && shift && exec "$@"', "sh", config,
                     *AS_NOBODY, "env", "-i",
                     f"HOME={home}", f"DISPLAY={os.environ['DISPLAY']}", f"PATH={tools}:/usr/bin:/bin",
                     "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent", "GSETTINGS_BACKEND=memory",
                     "xscreensaver-settings", "--debug"], cwd=home)
    try:
        said = lambda: panel.output()
        preview = wait_for(lambda: re.search(r"XSCREENSAVER_WINDOW=(0x[0-9A-Fa-f]+)", said()), 60, 0.2)
        check("xscreensaver's settings read lucenta.xml", f"reading {CONFIG}/lucenta.xml" in said(), said())
        complaints = [line for line in said().splitlines()
                      if re.search(r"WARNING|is not a valid option|is required|duplicate switch|does not begin|"
                                   r"more than one menu|unparsable", line)]
        check("... without a complaint", not complaints, complaints)
        scheduled = re.findall(r'scheduling preview "([^"]*)"', said())
        check(f"... and take the command that the XML yields for the chosen values as their own: {command}",
              scheduled and scheduled[-1] == command, scheduled)
        if not check("... and run it in the preview", preview, said()):
            return summary()
        window = preview.group(1)
        width, height = window_size(window)
        picture = screen_checks.Picture(notation, expected_log(width, height, work), width, height, method=7,
                                        treble=False, period=4000)
        shown = wait_for(lambda: picture.steps_shown(screenshot(window=window)), 30, 0.2)
        check(f"the preview ({width}x{height}) shows Cambridge Surprise without the treble, from 500 to 600 nm at "
              "intensity 1.5", shown, said())
        with open(os.path.join(home, "Colours.log"), "rb") as mine, \
                open(os.path.join(work, "render", "Colours.log"), "rb") as theirs:
            check("... and its Colours.log is the renderer's for those settings", mine.read() == theirs.read())
    finally:
        panel.stop()
        subprocess.run(["pkill", "-u", "nobody", "-f", f"^{tools}/lucenta"], capture_output=True)
        shutil.rmtree(work, ignore_errors=True)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
