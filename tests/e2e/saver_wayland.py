#!/usr/bin/env python3
"""Drives the real lucenta on headless sway as a user would: the native Wayland saver on two outputs of
different widths, what ends it, and the X11 saver under sway's Xwayland, which covers both monitors and keeps
running through sway's focus moves until a key.

usage: saver_wayland.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION WL_TEST_CLIENT
Needs sway, Xwayland, grim, wtype and setpriv; sway and every client run as the user nobody, since sway
refuses to run as root."""
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile

from harness import NobodySession, check, copy_for_nobody, ended, ends_on, require, summary, wait_for
from screen_checks import Picture, rendered_colours_log

OUTPUTS = {"HEADLESS-1": (800, 600), "HEADLESS-2": (640, 480)}
SMALL = (320, 240)  # an output added while the saver runs
class HeadlessSway(NobodySession):
    """sway without a display of its own, with the outputs given ({name: (width, height)}), in a session of its
    own below `root`."""

    def __init__(self, root, outputs):
        super().__init__(root)
        runtime = self.runtime
        config = os.path.join(root, "sway.conf")
        with open(config, "w") as out:
            out.write("xwayland enable\nfocus_follows_mouse no\n")
        self.sway = subprocess.Popen(self.command("sway", "-c", config, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                                                  WLR_LIBINPUT_NO_DEVICES="1"),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        sockets = lambda prefix: sorted(f for f in os.listdir(runtime) if f.startswith(prefix) and not f.endswith(".lock"))
        if not wait_for(lambda: sockets("sway-ipc") and sockets("wayland-"), 10):
            raise RuntimeError("headless sway did not start")
        self.env.update(WAYLAND_DISPLAY=sockets("wayland-")[0], SWAYSOCK=os.path.join(runtime, sockets("sway-ipc")[0]))
        for _ in range(len(outputs) - 1):
            self.msg("create_output")
        for name, (width, height) in outputs.items():
            self.msg("output", name, "mode", "--custom", f"{width}x{height}@60Hz")
        display_file = os.path.join(self.home, "display")
        self.msg("exec", f"echo $DISPLAY > {display_file}")
        self.display = wait_for(lambda: os.path.exists(display_file) and open(display_file).read().strip(), 5)

    def msg(self, *words):
        self.run("swaymsg", "--", *words, check=True)

    def output_names(self):
        outputs = self.run("swaymsg", "-t", "get_outputs", "-r", check=True).stdout
        return [output["name"] for output in json.loads(outputs)]

    def screenshot(self, output, region=None):
        """The output's pixels (or those of a region "X,Y WxH" of the layout) as RGB bytes, three a pixel, row
        after row: grim's PPM without its header."""
        where = ["-g", region] if region else ["-o", output]
        ppm = self.run("grim", *where, "-t", "ppm", "-", text=False, check=True).stdout
        header_end, fields = 0, 0
        while fields < 4:  # "P6", width, height, maximum: each ended by white space
            while ppm[header_end:header_end + 1].isspace():
                header_end += 1
            while not ppm[header_end:header_end + 1].isspace():
                header_end += 1
            fields += 1
        return ppm[header_end + 1:]

    def stop(self):
        self.sway.terminate()
        if ended(self.sway, 5) is None:
            self.sway.kill()


class Palettes:
    """Colours.log for each size of output, as the headless renderer writes it for that width."""

    def __init__(self, sway):
        self.sway, self.logs = sway, {}

    def __getitem__(self, size):
        if size not in self.logs:
            width, height = size
            folder = os.path.join(self.sway.home, f"render-{width}x{height}")
            self.logs[size] = rendered_colours_log(render, folder, width, height)
        return self.logs[size]


def shows_model(sway, logs, name, size=None):
    """The step shown when the output (of the size given, else as OUTPUTS has it) shows the model's rows
    climbing from its bottom, waiting for it."""
    width, height = size or OUTPUTS[name]
    picture = Picture(notation, logs[(width, height)], width, height)
    return wait_for(lambda: picture.steps_shown(sway.screenshot(name)), 10, 0.1)


def check_every_output(sway, logs, what, process):
    for name, (width, height) in OUTPUTS.items():
        k = shows_model(sway, logs, name)
        check(f"{what}: {name} ({width}x{height}) shows the model's rows climbing from its bottom", k,
              process.evidence())


def add_output(sway, size):
    """A new headless output of that size, as a monitor plugged in; its name."""
    before = set(sway.output_names())
    sway.msg("create_output")
    name = wait_for(lambda: set(sway.output_names()) - before, 10).pop()
    sway.msg("output", name, "mode", "--custom", f"{size[0]}x{size[1]}@60Hz")
    return name


def test_native_saver(sway, logs):
    process = sway.start(lucenta, "-s")
    check_every_output(sway, logs, "the Wayland saver", process)
    check("... which keeps running", process.poll() is None, process.evidence())
    added = add_output(sway, SMALL)
    check(f"an output added while it runs ({added}) gets a picture", shows_model(sway, logs, added, SMALL),
          process.evidence())
    sway.msg("output", "HEADLESS-1", "scale", "2")
    check("an output scaled to 2 while it runs gets a bell for each of its 800 pixels",
          shows_model(sway, logs, "HEADLESS-1"), process.evidence())
    sway.msg("output", "HEADLESS-1", "scale", "1")
    check("... and again at scale 1", shows_model(sway, logs, "HEADLESS-1"), process.evidence())
    process.send_signal(signal.SIGTERM)
    check("SIGTERM ends it with status 0", ended(process, 2) == 0, process.evidence())
    process.stop()

    start = lambda: sway.start(lucenta, "-s")
    draws = lambda _: all(shows_model(sway, logs, output) for output in OUTPUTS)
    ends_on("a key", start, draws, lambda _: sway.run("wtype", "-s", "100", "-k", "Escape"), within=None)
    pointer = lambda *steps: lambda *_: sway.run(test_client, "wait", "300", "move", "5", "0", *steps, "wait", "300")
    ends_on("a click", start, draws, pointer("click"), within=None)
    ends_on("a diagonal move", start, draws, pointer("wait", "100", "move", "20", "20"),
            harmless=[("moves along one axis", pointer("wait", "100", "move", "30", "0", "wait", "100", "move", "0",
                                                      "30"))], within=None)


def test_x11_saver_under_xwayland(sway, logs):
    if not check("sway's Xwayland runs", sway.display):
        return
    process = sway.start(lucenta, "-s", "--x11", DISPLAY=sway.display)
    check_every_output(sway, logs, "the X11 saver under Xwayland", process)
    check("... keeps running through sway's focus moves", ended(process, 1) is None, process.evidence())
    added = add_output(sway, SMALL)
    check(f"a monitor added while it runs ({added}) gets a window", shows_model(sway, logs, added, SMALL),
          process.evidence())
    sway.msg("output", "HEADLESS-2", "mode", "--custom", "800x600@60Hz")
    check("a monitor that grows from 640x480 to 800x600 while it runs is covered whole",
          shows_model(sway, logs, "HEADLESS-2", (800, 600)), process.evidence())
    sway.run("wtype", "-s", "100", "-k", "a")
    check("... until a key: status 0", ended(process, 5) == 0, process.evidence())
    process.stop()


def main():
    global lucenta, render, notation, test_client
    require("sway", "swaymsg", "Xwayland", "grim", "wtype", "setpriv", root=True)
    lucenta, render, notation, test_client = (os.path.abspath(arg) for arg in sys.argv[1:5])
    root = tempfile.mkdtemp()
    lucenta, test_client = (copy_for_nobody(program, root) for program in (lucenta, test_client))
    sway = HeadlessSway(root, OUTPUTS)
    try:
        logs = Palettes(sway)
        test_native_saver(sway, logs)
        test_x11_saver_under_xwayland(sway, logs)
    finally:
        sway.stop()
        shutil.rmtree(root, ignore_errors=True)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
