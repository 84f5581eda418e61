#!/usr/bin/env python3
"""Drives the real lucenta on weston, a compositor without layer shell, as GNOME is one: the saver shows a
fullscreen window on each of weston's two outputs (windows of its X11 backend on the test's X display), keeps
running although weston moves the keyboard from one of its windows to the next, and ends on a key, a click and
SIGTERM.

usage: saver_weston.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION
Needs DISPLAY (Xvfb), weston, xdotool, ImageMagick's import and setpriv; weston and the saver run as the user
nobody, as a desktop's programs run as its user."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile

from harness import NobodySession, Program, check, copy_for_nobody, ended, ends_on, require, summary, wait_for
from screen_checks import Picture, rendered_colours_log, screenshot

WIDTH, HEIGHT = 480, 360  # each output; the two windows lie side by side on the X display
class Weston(NobodySession):
    """weston with two outputs as windows on the X display, in a session of its own below `root`."""

    def __init__(self, root):
        super().__init__(root, WAYLAND_DISPLAY="wayland-lucenta")
        self.weston = Program(self.command("weston", "--backend=x11-backend.so", "--output-count=2", f"--width={WIDTH}",
                                           f"--height={HEIGHT}", "--socket=wayland-lucenta", "--idle-time=0",
                                           DISPLAY=os.environ["DISPLAY"]))
        self.outputs = wait_for(lambda: len(self.output_windows()) == 2 and self.output_windows(), 30, 0.1)
        if not self.outputs:
            raise RuntimeError("weston did not show its two outputs: " + self.weston.evidence())
        subprocess.run(["xdotool", "windowmove", "--sync", self.outputs[1], str(WIDTH + 20), "0"], check=True)
        # The first output has the X focus and the pointer, as a desktop's keyboard and mouse are on its screen.
        subprocess.run(["xdotool", "windowfocus", "--sync", self.outputs[0], "mousemove", "--window", self.outputs[0],
                        str(WIDTH // 2), str(HEIGHT // 2)], check=True)

    def output_windows(self):
        found = subprocess.run(["xdotool", "search", "--class", "^Weston Compositor$"], capture_output=True,
                               text=True).stdout.split()
        return sorted(found, key=int)

    def stop(self):
        self.weston.send_signal(signal.SIGTERM)
        if ended(self.weston, 5) is None:
            self.weston.kill()
        self.weston.stop()


def covers_every_output(weston, log):
    picture = Picture(notation, log, WIDTH, HEIGHT)
    return all(wait_for(lambda: picture.steps_shown(screenshot(window=window)), 20, 0.1) for window in weston.outputs)


def test_fullscreen_windows(weston, log):
    process = weston.start(lucenta, "-s")
    check("the saver shows the model's rows on both outputs, a fullscreen window on each",
          covers_every_output(weston, log), process.evidence())
    check("... and keeps running for 5 s, though weston moved the keyboard between its windows",
          ended(process, 5) is None, process.evidence())
    process.send_signal(signal.SIGTERM)
    check("SIGTERM ends it with status 0", ended(process, 5) == 0, process.evidence())
    process.stop()

    for name, action in (("a key", ["key", "a"]), ("a click", ["click", "1"])):
        ends_on(name, lambda: weston.start(lucenta, "-s"), lambda _: covers_every_output(weston, log),
                lambda _: subprocess.run(["xdotool", *action], check=True), within=None)


def main():
    global lucenta, render, notation
    require("weston", "xdotool", "import", "setpriv", display=True, root=True)
    lucenta, render, notation = (os.path.abspath(arg) for arg in sys.argv[1:4])
    root = tempfile.mkdtemp()
    lucenta = copy_for_nobody(lucenta, root)
    weston = Weston(root)
    try:
        test_fullscreen_windows(weston, rendered_colours_log(render, os.path.join(root, "render"), WIDTH, HEIGHT))
    finally:
        weston.stop()
        shutil.rmtree(root, ignore_errors=True)
    return summary()


if __name__ == "__main__":
    sys.exit(main())
