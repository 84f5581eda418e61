#!/usr/bin/env python3
"""Drives the real lucenta on an X display as a user and as xscreensaver would: command lines, the
full-screen saver, its speed and what ends it, windows lent through XSCREENSAVER_WINDOW (strange ones too),
Debian's xscreensaver daemon running it as a hack, and the install mode.

usage: saver_x11.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION
Needs DISPLAY (Xvfb), xdotool, ImageMagick's import and convert, xscreensaver, setpriv."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import screen_checks
from screen_checks import (Program, check, ended, ends_within_a_second, palette_of, painted,
                           row_of, rows_rung, screenshot, summary, wait_for)
from x11_window import XWindow, row_pixels

lucenta, render, notation = (os.path.abspath(arg) for arg in sys.argv[1:4])
WIDTH, HEIGHT = (int(n) for n in subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True, text=True,
                                                check=True).stdout.split())


def environment(home, **extra):
    """The environment of a saver run: the home given, and X11 unless a Wayland compositor is named."""
    env = {name: value for name, value in os.environ.items() if name != "WAYLAND_DISPLAY"}
    return dict(env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"), **extra)


def start(args, work, **extra):
    return Program([lucenta, *args], cwd=work, env=environment(work, **extra))


def store_speed(work, speed):
    os.makedirs(os.path.join(work, ".config", "lucenta"), exist_ok=True)
    with open(os.path.join(work, ".config", "lucenta", "registry.reg"), "w", encoding="utf-8") as reg:
        reg.write("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n"
                  f'"Speed"="{speed}"\n')


def log_complete(work, width):
    log = os.path.join(work, "Colours.log")
    return os.path.exists(log) and open(log, "rb").read().count(b"\r\n") == width + 2


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def Picture(work):
    return screen_checks.Picture(notation, os.path.join(work, "Colours.log"), WIDTH, HEIGHT)


def rendered(work, rows):
    out = os.path.join(work, "render.png")
    subprocess.run([render, "--width", str(WIDTH), "--height", str(HEIGHT), "--rows", str(rows), "--out", out],
                   cwd=os.path.join(work, "render"), env=environment(work), check=True, capture_output=True)
    return subprocess.run(["convert", out, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout


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
        check(f"{args}: status 2 and one line naming the option and what it takes",
              status == 2 and error.count("\n") == 1 and args[1] in error and " takes " in error, process.evidence())
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


def drawing(work, width=WIDTH, height=HEIGHT, window="root", limit=20):
    """Waits until the saver has set the picture up and shows its rows climbing in the window; the step
    shown, or None."""
    if not wait_for(lambda: log_complete(work, width), limit):
        return None
    picture = screen_checks.Picture(notation, os.path.join(work, "Colours.log"), width, height)
    return wait_for(lambda: picture.steps_shown(screenshot(window=window)), limit, 0.1)


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
    process = Program(["sh", "-c", 'exec "$0" -s --speed 60 0<&- 1>&- 2>&-', lucenta], cwd=work,
                      env=environment(work))
    try:
        check("with the standard descriptors closed the saver draws", drawing(work), process.evidence())
        ends_within_a_second("... and SIGTERM", process, lambda: process.send_signal(signal.SIGTERM))
    finally:
        process.stop()
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


def ends_on(name, action, work, harmless=(), within=1.0):
    """Starts the saver, checks that each of `harmless` leaves it running, then that `action` ends it with
    status 0 within a second (or `within` seconds)."""
    xdotool("mousemove", str(WIDTH // 2), str(HEIGHT // 2))
    process = start(["-s"], work)
    if not check(name + ": the saver runs and draws", drawing(work) and process.poll() is None,
                 process.evidence()):
        process.stop()
        return
    ends_within_a_second(name, process, action, harmless, within)
    process.stop()


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


def as_nobody(home, *command, **kwargs):
    return subprocess.run(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "env", "HOME=" + home,
                           *command], **kwargs)


def test_xscreensaver_daemon():
    """xscreensaver runs no hacks as root: the daemon runs as nobody, with a home of its own."""
    home = tempfile.mkdtemp()
    os.chmod(home, 0o777)
    hack_program = screen_checks.copy_for_nobody(lucenta, home)
    with open(os.path.join(home, ".xscreensaver"), "w") as config:
        config.write("timeout:\t0:30:00\nlock:\t\tFalse\nfade:\t\tFalse\nunfade:\t\tFalse\nsplash:\t\tFalse\n"
                     "mode:\t\tone\nselected:\t0\n"
                     "programs:\t\t\t\t\t\t\t      \\\n\t\t\t\t" + hack_program + " -s\t\t\t\t    \\n\\\n\n")
    daemon = subprocess.Popen(["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "env",
                               "HOME=" + home, "xscreensaver", "-no-splash"], cwd=home,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    hack = lambda: subprocess.run(["pgrep", "-u", "nobody", "-f", "^" + hack_program + " -s$"],
                                  capture_output=True).returncode == 0
    try:
        ready = wait_for(lambda: as_nobody(home, "xscreensaver-command", "-time", capture_output=True).returncode == 0,
                         10, 0.2)
        check("the xscreensaver daemon runs", ready)
        as_nobody(home, "xscreensaver-command", "-activate", capture_output=True)
        check("xscreensaver -activate starts the hack", wait_for(hack, 10))
        check("... which writes Colours.log in the daemon's directory", wait_for(lambda: log_complete(home, WIDTH), 10))
        picture = Picture(home)
        check("... and draws the picture on the screen", wait_for(lambda: picture.steps_shown(screenshot()), 10, 0.1))
        as_nobody(home, "xscreensaver-command", "-deactivate", capture_output=True)
        check("xscreensaver -deactivate ends the hack", wait_for(lambda: not hack(), 5))
    finally:
        as_nobody(home, "xscreensaver-command", "-exit", capture_output=True)
        if ended(daemon, 5) is None:
            daemon.kill()
        subprocess.run(["rm", "-rf", home])


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


def main():
    with tempfile.TemporaryDirectory() as work:
        os.chmod(work, 0o755)
        os.makedirs(os.path.join(work, "render"))
        test_command_lines_that_show_nothing(work)
        test_signals_at_any_moment(work)
        test_closed_standard_descriptors(work)
        test_running_saver(work)
        test_speeds(work)
        test_what_ends_the_saver(work)
        test_lent_window(work)
        test_strange_lent_windows(work)
        test_frames_taller_than_the_window(work)
        test_resize_storms(work)
        test_screen_changes(work)
        test_install(work)
    test_xscreensaver_daemon()
    return summary()


sys.exit(main())
