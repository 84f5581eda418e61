#!/usr/bin/env python3
"""Drives the real lucenta on an X display as a user would: command lines, signals at any moment, the full-screen
saver, its speed and what ends it, and the install mode. Windows lent to it and screens that change are
saver_x11_windows.py's.

usage: saver_x11.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION
Needs DISPLAY (Xvfb), xdotool, ImageMagick's import and convert."""
import os
import shutil
import signal
import subprocess
import sys
import time

import harness
from harness import Program, check, ended, wait_for
from screen_checks import row_of, screenshot
from x11_saver import (HEIGHT, WIDTH, Picture, drawing, ends_on, environment, log_complete, lucenta, rendered,
                       run_in_work, start, store_speed, xdotool)
from x11_window import XWindow


def test_command_lines_that_show_nothing(work):
    for args in (["/S"], ["//s"], ["/p", "1234"], ["/a"], ["x"], ["-S"]):
        process = start(args, work)
        check("'" + " ".join(args) + "' ends at once with status 0", ended(process, 5) == 0, process.evidence())
        process.stop()
    check("... and draws nothing, touches no settings", os.listdir(work) == ["render"], os.listdir(work))
    for display in ("", ":4321"):
        process = start(["-s"], work, DISPLAY=display)
        status, error = ended(process, 10), process.output()
        check(f"'-s' with DISPLAY='{display}' ends with status 1 and one line naming the display",
              status == 1 and error.count("\n") == 1 and (display or "display") in error, process.evidence())
        process.stop()
    process = start(["-s"], work, DISPLAY="", WAYLAND_DISPLAY="no-such-compositor")
    status, error = ended(process, 10), process.output()
    check("with neither a Wayland compositor nor an X display: status 1 and one line naming both",
          status == 1 and error.count("\n") == 1 and "no-such-compositor" in error and "X display" in error,
          process.evidence())
    process.stop()
    check("... and nothing written", os.listdir(work) == ["render"], os.listdir(work))
    for option, said in (("--help", ["usage: lucenta", "-c", "--method", "--no-treble"]), ("--version", ["lucenta 1."])):
        result = subprocess.run([lucenta, option], capture_output=True, text=True, env=environment(work))
        check(f"'{option}' prints {said[0]}... and ends with status 0",
              result.returncode == 0 and result.stdout.startswith(said[0]) and all(w in result.stdout for w in said),
              (result.returncode, result.stdout, result.stderr))
    # What each option takes is the option grammar's table; here, that a byte that is not UTF-8 leaves the
    # mode letter readable and the real program refuses the option by name.
    for args in (["-s", "--method", b"\xff"], ["-s", "--speed", b"6\xc0"]):
        process = start(args, work)
        status, error = ended(process, 10), process.output()
        lines = error.splitlines()
        check(f"{args}: status 2, a line naming the option and what it takes, and the usage",
              status == 2 and len(lines) == 2 and args[1] in lines[0] and " takes " in lines[0] and
              lines[1].startswith("usage: lucenta "), process.evidence())
        process.stop()
    with open("/dev/full", "w") as full:
        result = subprocess.run([lucenta, "--help"], stdout=full, stderr=subprocess.PIPE, text=True)
    check("'--help' onto a full disk: status 1 and a line saying the output could not be written",
          result.returncode == 1 and "No space left" in result.stderr, (result.returncode, result.stderr))


def start_to_main(work):
    """How long the program takes to start: a command line that names no mode ends as soon as main has
    read it (the dynamic loader, and a sanitizer's runtime, run before)."""
    times = []
    for _ in range(3):
        began = time.monotonic()
        subprocess.run([lucenta, "-x"], cwd=work, env=environment(work), check=True)
        times.append(time.monotonic() - began)
    return max(times)


def test_signals_at_any_moment(work):
    # The saver takes the signals first thing in main, and loads no toolkit before: a SIGTERM soon after
    # the start ends it in order, even on a loaded machine.
    early = 2 * start_to_main(work) + 0.01
    outcomes = []
    for stop in (signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        process = start(["-s"], work)
        time.sleep(early)  # the moment of the signal is what is tested
        process.send_signal(stop)
        ended(process, 5)
        outcomes.append(f"{stop.name}: {process.evidence()}")
        process.stop()
    check(f"SIGTERM, SIGHUP or SIGINT {1000 * early:.0f} ms after the start (twice the start-up) ends the saver "
          "with status 0", all(": status 0," in o for o in outcomes), outcomes)

    server_holder = XWindow(0, 0, 10, 10)
    process = start(["-s"], work)
    try:
        check("the saver draws before the X server is held", drawing(work), process.evidence())
        server_holder.grab_server()  # the X server answers nobody else now
        time.sleep(0.5)  # the saver's requests go unanswered meanwhile
        process.send_signal(signal.SIGTERM)
        signalled = time.monotonic()
        status = ended(process, 5)
        elapsed = time.monotonic() - signalled
    finally:
        server_holder.ungrab_server()
        server_holder.close()
    check("SIGTERM ends a saver that the X server no longer answers within about a second, with status 0",
          status == 0 and elapsed < 1.5, f"{process.evidence()} after {elapsed:.2f} s")
    process.stop()


def test_closed_standard_descriptors(work):
    """Started with descriptors 0, 1 and 2 closed and a warning to give (a settings line it cannot read): the
    warning must not go into the X connection."""
    store_speed(work, "60")
    with open(os.path.join(work, ".config", "lucenta", "registry.reg"), "a") as reg:
        reg.write('"Broken\n')
    harness.ends_on("with the standard descriptors closed, SIGTERM",
                    lambda: Program(["sh", "-c", 'exec "$0" -s --speed 60 0<&- 1>&- 2>&-', lucenta], cwd=work,
                                    env=environment(work)),
                    lambda _: drawing(work), lambda process: process.send_signal(signal.SIGTERM))
    shutil.rmtree(os.path.join(work, ".config"))
    os.remove(os.path.join(work, "Colours.log"))


def test_running_saver(work):
    process = start(["-s"], work, WAYLAND_DISPLAY="no-such-compositor")  # falls back to X11
    if not check("'-s' writes Colours.log", wait_for(lambda: log_complete(work, WIDTH), 20), process.evidence()):
        process.stop()
        return
    with open(os.path.join(work, ".config", "lucenta", "registry.reg"), encoding="utf-8") as reg:
        stored = reg.read()
    check("the first run stored the six defaults",
          all(v in stored for v in ('"Method"="0"', '"Show Treble"="1"', '"Background"="0"',
                                    '"Bottom"="440.000000"', '"Top"="640.000000"', '"Intensity"="1.000000"')), stored)
    picture = Picture(work)
    shots = []
    k = wait_for(lambda: picture.steps_shown(shots.append(screenshot()) or shots[-1]), 20, 0.1)
    shot = shots[-1]
    if check("the window covers the screen; rows of the palette as rung climb from the bottom, the treble black", k,
             f"{process.evidence()}; bottom rows on the screen: {described_rows(shot)}"):
        started_over = row_of(shot, WIDTH, 0) != bytes(3 * WIDTH)
        reference = rendered(work, k + 2 * WIDTH if started_over else k)
        check("the picture above the bottom row is the headless renderer's", shot[:-3 * WIDTH] == reference[:-3 * WIDTH],
              k)
        with open(os.path.join(work, "Colours.log"), "rb") as mine, \
                open(os.path.join(work, "render", "Colours.log"), "rb") as theirs:
            check("Colours.log is byte for byte the renderer's", mine.read() == theirs.read())
    rate = picture.rate(screenshot, 2.5)
    check("at the default speed the picture advances by about 60 rows a second", rate and 50 < rate < 70,
          f"{rate} rows/s; {process.evidence()}")
    check("the saver is still running", process.poll() is None, process.evidence())
    process.send_signal(signal.SIGTERM)
    check("SIGTERM ends it with status 0", ended(process, 2) == 0, process.evidence())
    process.stop()


def described_rows(shot, count=3):
    """The screenshot's bottom rows in short, for a failure's evidence: each row's first pixels."""
    return [row_of(shot, WIDTH, HEIGHT - 1 - j)[:12].hex() for j in range(count)]


def measured_rate(process, work):
    picture = Picture(work)
    wait_for(lambda: picture.steps_shown(screenshot()), 10, 0.1)
    return picture.rate(screenshot, 2.5), process.evidence()


def test_speeds(work):
    for what, speed, stored, expected in (("--speed 240 advances the picture by about 240 rows a second", 240, None, 240),
                                          ("--speed 60 (xscreensaver's slider) wins over a stored 480", 60, 480, 60)):
        if stored:
            store_speed(work, stored)
        process = start(["-s", "--speed", str(speed)], work)
        wait_for(lambda: log_complete(work, WIDTH), 20)
        rate, evidence = measured_rate(process, work)
        check(what, rate and 0.83 * expected < rate < 1.17 * expected, f"{rate} rows/s; {evidence}")
        process.stop()

    store_speed(work, 0)
    process = start(["-s"], work)
    wait_for(lambda: log_complete(work, WIDTH), 20)
    full = wait_for(lambda: row_of(screenshot(), WIDTH, 0) != bytes(3 * WIDTH), 1.5, 0.1)
    check('"Speed"="0" draws as fast as it can: the screen is full of rows within a second and a half', full,
          process.evidence())
    process.stop()
    os.remove(os.path.join(work, ".config", "lucenta", "registry.reg"))


def test_what_ends_the_saver(work):
    x, y = WIDTH // 2, HEIGHT // 2
    move = lambda dx, dy: lambda: xdotool("mousemove", str(x + dx), str(y + dy))
    # Under the sanitizers every exit also runs the leak check.
    ends_on("a key press", lambda: xdotool("key", "a"), work, within=1.0 if os.environ.get("LUCENTA_SANITIZED") else 0.1)
    ends_on("a mouse button", lambda: xdotool("click", "1"), work)
    # The judge's rule for moves is tested on its own; here, that X11's moves reach it in one space.
    ends_on("a diagonal mouse move", move(250, 230), work, harmless=[("a vertical move", move(0, 200))])
    other = XWindow(0, 0, 50, 50)
    grabber = XWindow(60, 0, 50, 50)
    try:
        focus_away = lambda: xdotool("windowfocus", str(other.id))
        ends_on("a key press after the focus moved", lambda: xdotool("key", "a"), work,
                harmless=[("another window taking the focus while the saver holds the keyboard", focus_away)])
        # Another client holds the keyboard for as long as the saver tries to take it.
        grabber.grab_keyboard()
        ends_on("the focus going to another window when the saver could not take the keyboard", focus_away, work,
                # longer than the saver keeps trying to take it
                harmless=[("the keyboard held elsewhere", lambda: time.sleep(2.2)),
                          ("... and let go", grabber.ungrab_keyboard)])
    finally:
        other.close()
        grabber.close()
    ends_on("a further exposure (a window over it that goes)", expose_by_a_passing_window, work)


def expose_by_a_passing_window():
    passing = XWindow(100, 100, 200, 200)
    passing.destroy()
    passing.close()


def test_install(work):
    home = os.path.join(work, "install-home")
    os.makedirs(home)
    config = os.path.join(home, ".xscreensaver")
    result = subprocess.run([lucenta, "-i"], env=environment(home), capture_output=True, text=True)
    written = open(config).read() if os.path.exists(config) else ""
    hacks = open("/etc/X11/app-defaults/XScreenSaver").read().split("*programs:")[1].split("\n\n")[0]
    check("'-i' without ~/.xscreensaver writes one with xscreensaver's own hacks and Lucenta, and nothing else",
          result.returncode == 0 and written.startswith("programs:") and written.count("\\n") == hacks.count("\\n") + 1
          and (lucenta + " -s") in written and written.count(":") == hacks.count(":") + 1, (result.stdout, written[:200]))
    before = "mode:\t\trandom\nprograms:\t\t\t\t\t\t\t      \\\n\t\t\t\tmaze --root\t\t\t\t    \\n\\\n\nlock:\tTrue\n"
    with open(config, "w") as out:
        out.write(before)
    first = subprocess.run([lucenta, "-i"], env=environment(home), capture_output=True, text=True)
    after = open(config).read()
    check("'-i' appends the running executable to the programs, keeping every line and a copy",
          first.returncode == 0 and after == before.replace("\n\nlock", "\n\t\t\t\t" + lucenta + " -s\t\t\t\t    \\n\\\n\nlock")
          and open(config + ".bak").read() == before, after)
    second = subprocess.run([lucenta, "-i"], env=environment(home), capture_output=True, text=True)
    check("a second '-i' adds nothing", second.returncode == 0 and open(config).read() == after, second.stdout)


sys.exit(run_in_work(test_command_lines_that_show_nothing, test_signals_at_any_moment, test_closed_standard_descriptors,
                     test_running_saver, test_speeds, test_what_ends_the_saver, test_install))
