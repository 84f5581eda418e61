"""What the X11 saver's end-to-end scripts share: the programs under test (from the command line), the screen's size,
a saver's run in a home of its own, and what it shows."""
import os
import subprocess
import sys
import tempfile

import harness
import screen_checks
from harness import Program, wait_for
from screen_checks import screenshot

harness.require("xdotool", "import", "convert", display=True)
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


def drawing(work, width=WIDTH, height=HEIGHT, window="root", limit=20):
    """Waits until the saver has set the picture up and shows its rows climbing in the window; the step
    shown, or None."""
    if not wait_for(lambda: log_complete(work, width), limit):
        return None
    picture = screen_checks.Picture(notation, os.path.join(work, "Colours.log"), width, height)
    return wait_for(lambda: picture.steps_shown(screenshot(window=window)), limit, 0.1)


def ends_on(name, action, work, harmless=(), within=1.0):
    """Starts the saver, checks that it draws, that each of `harmless` leaves it running, then that `action` ends it
    with status 0 within a second (or `within` seconds)."""
    def start_centred():
        xdotool("mousemove", str(WIDTH // 2), str(HEIGHT // 2))
        return start(["-s"], work)
    harness.ends_on(name, start_centred, lambda _: drawing(work), lambda _: action(), harmless, within)


def run_in_work(*tests):
    """Runs each test with a work folder of its own run (the savers' home and current directory), then tells
    the outcome: the exit status."""
    with tempfile.TemporaryDirectory() as work:
        os.chmod(work, 0o755)
        os.makedirs(os.path.join(work, "render"))
        for test in tests:
            test(work)
    return harness.summary()
