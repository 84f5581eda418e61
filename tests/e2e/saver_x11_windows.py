#!/usr/bin/env python3
"""Drives the real lucenta on an X display where it draws in a window that it is lent (through XSCREENSAVER_WINDOW,
strange ones too, and by Debian's xscreensaver daemon, as nobody) and where the screen changes under it: frames
taller than the window, storms of resizes, monitors set with xrandr.

usage: saver_x11_windows.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION
Needs DISPLAY (Xvfb), xdotool, ImageMagick's import, xrandr, xscreensaver, setpriv."""
import os
import signal
import subprocess
import sys
import tempfile
import time

from harness import NobodySession, check, copy_for_nobody, ended, require, wait_for
import screen_checks
from screen_checks import palette_of, painted, row_of, rows_rung, screenshot
from x11_saver import WIDTH, Picture, drawing, log_complete, lucenta, notation, run_in_work, start, xdotool
from x11_window import XWindow, row_pixels

require("xrandr", "xscreensaver", "xscreensaver-command", "setpriv", "pgrep", root=True)


def test_lent_window(work):
    lent = XWindow(40, 30, 320, 200)
    process = start(["-s"], work, XSCREENSAVER_WINDOW=hex(lent.id))
    try:
        check("a window lent through XSCREENSAVER_WINDOW is set up for its size",
              wait_for(lambda: log_complete(work, 320), 20), process.evidence())
        palette = palette_of(os.path.join(work, "Colours.log"), 320)
        rows = {painted(palette, row) for row in rows_rung(notation, 1, 320, 640)}
        shows_rows = lambda shot: row_of(shot, 320, 198) in rows and row_of(shot, 320, 150) in rows
        check("... and drawn into", wait_for(lambda: shows_rows(screenshot(window=hex(lent.id))), 10, 0.1),
              process.evidence())
        xdotool("key", "a")
        xdotool("mousemove", "100", "100", "mousemove", "200", "180", "click", "1")
        check("keys, moves and buttons do not end it", ended(process, 0.8) is None, process.evidence())
        xdotool("windowsize", str(lent.id), "200", "150")
        check("a size change sets the picture up again for the new width",
              wait_for(lambda: log_complete(work, 200), 5) and process.poll() is None, process.evidence())
        process.send_signal(signal.SIGTERM)
        check("SIGTERM ends it with status 0", ended(process, 2) == 0, process.evidence())
    finally:
        process.stop()
        lent.destroy()
        lent.close()

    lent = XWindow(40, 30, 320, 200)
    process = start(["-s"], work, XSCREENSAVER_WINDOW=str(lent.id))
    drawing(work, 320, 200, hex(lent.id))
    lent.destroy()
    lent.close()
    check("a decimal window id is taken, and the window's destruction ends it with status 0",
          ended(process, 2) == 0, process.evidence())
    process.stop()

    for given in ("0x1fffff0",):  # what names no window at all: the ParseWindowId table
        process = start(["-s"], work, XSCREENSAVER_WINDOW=given)
        status, error = ended(process, 5), process.output()
        check(f"XSCREENSAVER_WINDOW={given} names no window: status 0 and a line saying so",
              status == 0 and error.count("\n") == 1 and "window" in error, process.evidence())
        process.stop()


def refused(work, kind, reason):
    """Lends the saver a window of a kind it cannot draw in: whether it ends with status 0 and one line giving
    the reason, and the evidence."""
    lent = XWindow(40, 30, 320, 200, kind=kind)
    process = start(["-s"], work, XSCREENSAVER_WINDOW=hex(lent.id))
    status, error = ended(process, 5), process.output()
    process.stop()
    lent.destroy()
    lent.close()
    return status == 0 and error.count("\n") == 1 and reason in error, process.evidence()


def test_strange_lent_windows(work):
    check("an input-only window is refused: status 0 and one line saying so", *refused(work, "input-only", "input only"))
    check("a DirectColor window, whose colours would need a ramp, is refused: status 0 and one line",
          *refused(work, "directcolor", "TrueColor"))

    lent = XWindow(40, 30, 320, 200, kind="argb")
    process = start(["-s", "--speed", "600"], work, XSCREENSAVER_WINDOW=hex(lent.id))
    wait_for(lambda: log_complete(work, 320), 20)
    opaque = wait_for(lambda: all(p >> 24 == 0xFF for p in row_pixels(lent.id, 190, 320)), 5, 0.1)
    check("a 32-bit window's pixels are opaque", opaque, process.evidence())
    process.stop()
    lent.destroy()
    lent.close()


def test_frames_taller_than_the_window(work):
    """At 6000 rows a second a frame brings 100 rows to a window 40 high: the window still shows exactly what
    drawing them one by one shows."""
    lent = XWindow(40, 30, 320, 40)
    process = start(["-s", "--speed", "6000"], work, XSCREENSAVER_WINDOW=hex(lent.id))
    try:
        wait_for(lambda: log_complete(work, 320), 20)
        picture = screen_checks.Picture(notation, os.path.join(work, "Colours.log"), 320, 40)
        shown = wait_for(lambda: picture.steps_shown(screenshot(window=hex(lent.id)), rows_above=38), 5, 0.05)
        check("a frame of more rows than the window is high shows the model's rows, every one of them", shown,
              process.evidence())
    finally:
        process.stop()
        lent.destroy()
        lent.close()


def our_segments(pid):
    """The shared memory segments that the process created, as `ipcs -m -p` lists them."""
    table = subprocess.run(["ipcs", "-m", "-p"], capture_output=True, text=True).stdout
    return [line for line in table.splitlines() if line.split()[2:3] == [str(pid)]]


def test_resize_storms(work):
    lent = XWindow(40, 30, 320, 200)
    process = start(["-s"], work, XSCREENSAVER_WINDOW=hex(lent.id))
    wait_for(lambda: log_complete(work, 320), 20)
    lent.resize_storm(2000, 300, 180)
    lent.destroy()
    acted = time.monotonic()
    status = ended(process, 5)
    elapsed = time.monotonic() - acted
    check("after 2000 quick resizes the window's destruction still ends it within a second, with status 0",
          status == 0 and elapsed < 1.0, f"{process.evidence()} after {elapsed:.2f} s")
    process.stop()
    lent.close()

    leaks = []
    for _ in range(5):
        lent = XWindow(40, 30, 320, 200)
        process = start(["-s"], work, XSCREENSAVER_WINDOW=hex(lent.id))
        wait_for(lambda: log_complete(work, 320), 20)
        storm = subprocess.Popen([sys.executable, "-c", "import sys; sys.path.insert(0, sys.argv[1]); "
                                  "from x11_window import XWindow; w = XWindow(0, 0, 1, 1); "
                                  f"w.id = {lent.id}; w.resize_storm(3000, 330, 190); w.close()",
                                  os.path.dirname(__file__)])
        time.sleep(0.3)  # the kill comes in the middle of the storm
        process.kill()
        process.wait()
        storm.wait()
        # The server lets a segment go once it has handled the dead client's connection.
        wait_for(lambda: not our_segments(process.pid), 5)
        leaks += our_segments(process.pid)
        process.stop()
        lent.destroy()
        lent.close()
    check("kill -9 during resize storms leaves no shared memory segment behind", leaks == [], leaks)


def columns(shot, shot_width, left, width):
    """The columns left..left+width of a screenshot `shot_width` pixels wide, as a screenshot of their own."""
    rows = [shot[y:y + 3 * shot_width] for y in range(0, len(shot), 3 * shot_width)]
    return b"".join(row[3 * left:3 * (left + width)] for row in rows)


def test_screen_changes(work):
    """xrandr on an X server of the test's own: the screen grows and shrinks under the running saver, then
    two monitors are set on it; each change sets the pictures up again, one for each monitor."""
    number_file = os.path.join(work, "display-number")
    with open(number_file, "w") as out:
        server = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "1600x1200x24",
                                   "-nolisten", "tcp", "-noreset"], pass_fds=(out.fileno(),),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: open(number_file).read().strip(), 10)
    display = ":" + open(number_file).read().strip()
    xrandr = lambda *args: subprocess.run(["xrandr", *args], env=dict(os.environ, DISPLAY=display), check=True)
    shot = lambda: screenshot(env=dict(os.environ, DISPLAY=display))
    xrandr("--newmode", "800x600", "0", "800", "0", "0", "0", "600", "0", "0", "0")
    xrandr("--addmode", "screen", "800x600")
    xrandr("--output", "screen", "--mode", "800x600", "--fb", "800x600")
    process = start(["-s"], work, DISPLAY=display)
    try:
        check("the saver draws on a screen of 800x600", wait_for(lambda: log_complete(work, 800), 20),
              process.evidence())
        for mode, width in (("1600x1200", 1600), ("800x600", 800)):
            xrandr("--output", "screen", "--mode", mode, "--fb", mode)
            check(f"the screen set to {mode} under it: the picture is set up again for {width} bells",
                  wait_for(lambda: log_complete(work, width) and process.poll() is None, 10), process.evidence())
        xrandr("--setmonitor", "L", "400/100x600/150+0+0", "screen")
        xrandr("--setmonitor", "R", "400/100x600/150+400+0", "none")
        halves = lambda: [screen_checks.Picture(notation, os.path.join(work, "Colours.log"), 400, 600)
                          .steps_shown(columns(shot(), 800, left, 400)) for left in (0, 400)]
        check("two monitors set with xrandr --setmonitor: each shows a picture of its own, 400 bells wide",
              wait_for(lambda: log_complete(work, 400) and all(halves()), 10, 0.1),
              f"{process.evidence()}; steps shown {halves()}")
    finally:
        process.stop()
        server.kill()
        server.wait()


def test_xscreensaver_daemon():
    """xscreensaver runs no hacks as root: the daemon runs as nobody, in a session of its own."""
    session = NobodySession(tempfile.mkdtemp(), DISPLAY=os.environ["DISPLAY"])
    hack_program = copy_for_nobody(lucenta, session.root)
    with open(os.path.join(session.home, ".xscreensaver"), "w") as config:
        config.write("timeout:\t0:30:00\nlock:\t\tFalse\nfade:\t\tFalse\nunfade:\t\tFalse\nsplash:\t\tFalse\n"
                     "mode:\t\tone\nselected:\t0\n"
                     "programs:\t\t\t\t\t\t\t      \\\n\t\t\t\t" + hack_program + " -s\t\t\t\t    \\n\\\n\n")
    daemon = session.start("xscreensaver", "-no-splash")
    hack = lambda: subprocess.run(["pgrep", "-u", "nobody", "-f", "^" + hack_program + " -s$"],
                                  capture_output=True).returncode == 0
    try:
        ready = wait_for(lambda: session.run("xscreensaver-command", "-time").returncode == 0, 10, 0.2)
        check("the xscreensaver daemon runs", ready, daemon.evidence())
        session.run("xscreensaver-command", "-activate")
        check("xscreensaver -activate starts the hack", wait_for(hack, 10), daemon.evidence())
        check("... which writes Colours.log in the daemon's directory",
              wait_for(lambda: log_complete(session.home, WIDTH), 10))
        picture = Picture(session.home)
        check("... and draws the picture on the screen", wait_for(lambda: picture.steps_shown(screenshot()), 10, 0.1))
        session.run("xscreensaver-command", "-deactivate")
        check("xscreensaver -deactivate ends the hack", wait_for(lambda: not hack(), 5))
    finally:
        session.run("xscreensaver-command", "-exit")
        if ended(daemon, 5) is None:
            daemon.kill()
        daemon.stop()
        subprocess.run(["rm", "-rf", session.root])


sys.exit(run_in_work(test_lent_window, test_strange_lent_windows, test_frames_taller_than_the_window,
                     test_resize_storms, test_screen_changes, lambda _: test_xscreensaver_daemon()))
