#!/usr/bin/env python3
"""Drives the real Lucenta.scr under Wine on an X display as a user would: command lines, the
running saver and what ends it, the settings dialog and the notation export.

usage: saver_wine.py LUCENTA_SCR CHECKED_SCR NATIVE_TOOLS_DIR WINEPREFIX SAVER_POKE
CHECKED_SCR is a build in which a deleted window object is poisoned, so that any use of it after the
saver closes crashes: the tests of what ends the saver run it. SAVER_POKE acts on the running saver
from another process (close, repaint, system commands, activation).
Needs DISPLAY (Xvfb), wine, xdotool and ImageMagick's import/convert."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import harness
import screen_checks
from harness import Program, check, ended, summary, wait_for
from screen_checks import palette_of, painted, row_of, rows_rung

harness.require("wine", "wineserver", "xdotool", "import", "convert", display=True)
scr, checked_scr, tools, prefix, poke_exe = (os.path.abspath(arg) for arg in sys.argv[1:6])
WIDTH, HEIGHT = 1024, 768
CONFIG = r"HKCU\Software\Tovarin\LucentaScr\Config"
WAVELENGTH = r"HKCU\Software\Tovarin\LucentaScr\Wavelength"
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")


def wine(*args, cwd=None, timeout=60):
    return subprocess.run(["wine", *args], cwd=cwd, env=env, capture_output=True, text=True, timeout=timeout)


def start(args, cwd, program=None):
    return Program(["wine", program or scr, *args], cwd=cwd, env=env)


def stop(process=None):
    """Ends the program (when given) and every other Windows program of the prefix."""
    if process is not None:
        process.stop()
    subprocess.run(["wineserver", "-k"], env=env, capture_output=True)
    subprocess.run(["wineserver", "-w"], env=env, capture_output=True)


def reg_values(key):
    """{name: (type, data)} of a key, or None when the key does not exist."""
    result = wine("reg", "query", key)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return values


def reg_set(key, name, data):
    wine("reg", "add", key, "/v", name, "/d", data, "/f")


def screenshot():
    return screen_checks.screenshot(env)


def key(*names):
    subprocess.run(["xdotool", "key", "--delay", "60", *names], check=True, env=env)


def window_named(name):
    result = subprocess.run(["xdotool", "search", "--name", "^" + name + "$"], capture_output=True, text=True,
                            env=env)
    return result.stdout.split()


def foreground(name):
    """Waits up to 30 s for the window of that title to be the foreground window, where the keys typed
    next go; keys typed before would be lost. Wine does not always move the X focus to a new dialog, so
    the X focus cannot tell. Says which window was in front when it never came."""
    # A file, not a pipe: Wine's helpers started by the first program of a session keep its output open.
    with tempfile.TemporaryFile("w+") as said:
        status = subprocess.run(["wine", poke_exe, "foreground", name], env=env, stdout=said,
                                stderr=subprocess.DEVNULL, timeout=90).returncode
        said.seek(0)
        if status != 0:
            print(f'     ("{name}" never came to the front; the foreground window was "{said.read().strip()}",'
                  f" status {status})")
    return status == 0


def fresh_prefix():
    """A new prefix with a virtual desktop of the screen's size (scripts/wineprefix.sh)."""
    shutil.rmtree(prefix, ignore_errors=True)
    setup = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "wineprefix.sh")
    subprocess.run(["sh", "-c", '. "$1"; use_wineprefix "$2" "$3"', "sh", setup, prefix, f"{WIDTH}x{HEIGHT}"],
                   env=env, capture_output=True, timeout=300)


def test_command_lines_that_show_nothing(work):
    for args in (["/S"], ["//s"], ["/p", "1234"], ["/a"], ["x"]):
        process = start(args, work)
        status = ended(process, 20)
        check("'" + " ".join(args) + "' ends at once with status 0", status == 0, process.evidence())
        stop(process)
    check("... and runs no saver", not os.path.exists(os.path.join(work, "Colours.log")))
    check("... and touches no settings", reg_values(CONFIG) is None)
    process = start(["/i"], work)
    check("'/i' ends with status 0", ended(process, 30) == 0, process.evidence())
    stop(process)
    without_display = subprocess.run(["wine", scr, "/s"], cwd=work, capture_output=True, timeout=60,
                                     env={**env, "DISPLAY": ""})
    check("'/s' without a display to open the window on ends with status 1",
          without_display.returncode == 1, without_display.returncode)
    stop()


def check_first_run_defaults():
    defaults = {"Background": ("REG_SZ", "0"), "Method": ("REG_SZ", "0"), "Show Treble": ("REG_SZ", "1")}
    check("the first run stored the six defaults",
          reg_values(CONFIG) == defaults and reg_values(WAVELENGTH) == {
              "Bottom": ("REG_SZ", "440.000000"), "Top": ("REG_SZ", "640.000000"),
              "Intensity": ("REG_SZ", "1.000000")}, (reg_values(CONFIG), reg_values(WAVELENGTH)))


def check_matches_renderer(work, k, shot, period):
    """The screenshot, which shows k rows of the method's period, ends in the rows that the renderer draws."""
    render = os.path.join(work, "render.png")
    # k counts rows within the method's period; a screen already full came through earlier periods.
    started_over = row_of(shot, WIDTH, 0) != bytes(3 * WIDTH)
    subprocess.run([os.path.join(tools, "lucenta-render"), "--width", str(WIDTH), "--height", str(HEIGHT),
                    "--rows", str(k + period if started_over else k), "--out", render], cwd=work, check=True,
                   capture_output=True, env=dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config")))
    rendered = subprocess.run(["convert", render, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    check("the bottom rows match the headless renderer's picture", shot[-8 * WIDTH * 3:] == rendered[-8 * WIDTH * 3:],
          k)


def test_running_saver(work):
    process = start(["/s"], work)
    log = os.path.join(work, "Colours.log")
    up = wait_for(lambda: os.path.exists(log) and os.path.getsize(log) > 80 * WIDTH, 30)
    if not check("'/s' writes Colours.log", up, process.evidence()):
        stop(process)
        return None
    check_first_run_defaults()
    palette = palette_of(log, WIDTH)
    rung = rows_rung(os.path.join(tools, "lucenta-notation"), 1, WIDTH, 2 * WIDTH)
    expected = [painted(palette, row) for row in rung]

    steps_of = {}
    for k, row in enumerate(expected, start=1):
        steps_of.setdefault(row, k)

    period = 2 * WIDTH  # of Plain Hunt

    def consistent_steps():
        """(k, screenshot) when the screenshot shows k rows: the bottom row is row k, the row above it the
        same (the scroll keeps the bottom pixels), the one above that row k - 1, and so on up. A capture
        taken while Wine was still copying the picture to the display does not count."""
        shot = screenshot()
        k = steps_of.get(row_of(shot, WIDTH, HEIGHT - 1))
        if k and all(row_of(shot, WIDTH, HEIGHT - 2 - j) == expected[(k - 1 - j) % period] for j in range(6)):
            return k, shot
        return None

    found = wait_for(consistent_steps, 20, 0.1)
    check("the window covers the screen; rows of the palette as rung enter at the bottom and climb", found,
          process.evidence())
    if found:
        check_matches_renderer(work, *found, period)
    check("the saver is still running", process.poll() is None, process.evidence())
    stop(process)
    check_background_fill(work, steps_of)


def test_stored_speed(work):
    """A "Speed" that the user has set in the registry makes the rows come at that rate."""
    reg_set(CONFIG, "Speed", "120")
    process = start(["/s"], work)
    log = os.path.join(work, "Colours.log")
    wait_for(lambda: os.path.exists(log) and os.path.getsize(log) > 80 * WIDTH, 30)
    picture = screen_checks.Picture(os.path.join(tools, "lucenta-notation"), log, WIDTH, HEIGHT)
    wait_for(lambda: picture.steps_shown(screenshot()), 20, 0.1)
    rate = picture.rate(screenshot, 3)
    check('"Speed"="120" in the registry: the picture advances by about 120 rows a second', rate and 100 < rate < 140,
          f"{rate} rows/s; {process.evidence()}")
    stop(process)
    wine("reg", "delete", CONFIG, "/v", "Speed", "/f")


def check_background_fill(work, steps_of):
    """With a white background, a capture taken while the first rows climb shows white above them.
    The picture fills the screen in a fraction of a second, so captures are taken as fast as they come,
    and the saver is started again should they all miss that moment."""
    reg_set(CONFIG, "Background", "1")
    white = bytes([255]) * (3 * WIDTH)
    seen = None
    for _ in range(3):
        started = time.monotonic()
        first_row = []
        process = start(["/s"], work)

        def filling():
            shot = screenshot()
            k = steps_of.get(row_of(shot, WIDTH, HEIGHT - 1))
            if k and not first_row:
                first_row.append(time.monotonic() - started)
            return (k, shot) if k and row_of(shot, WIDTH, 0) == white else None

        seen = wait_for(filling, 8, 0)
        stop(process)
        if first_row:
            print(f"     (first row on the screen {first_row[0]:.2f} s after the start)")
        if seen:
            break
    check("the window is filled with the background before the rows climb from the bottom", seen)
    reg_set(CONFIG, "Background", "0")


def ends_on(name, action, work, harmless=()):
    """Starts the checked saver, checks that each of `harmless` leaves it running, then that `action`
    ends it with status 0: a use of the window object after it deleted itself would crash instead."""
    # Wine's desktop reports the pointer at the screen's centre until it moves: start it there.
    subprocess.run(["xdotool", "mousemove", str(WIDTH // 2), str(HEIGHT // 2)], env=env)
    log = os.path.join(work, "Colours.log")

    def draws(_):
        wait_for(lambda: os.path.exists(log) and os.path.getsize(log) > 80 * WIDTH, 30)
        picture = screen_checks.Picture(os.path.join(tools, "lucenta-notation"), log, WIDTH, HEIGHT)
        return wait_for(lambda: picture.steps_shown(screenshot()), 20, 0.1)

    harness.ends_on(name, lambda: start(["/s"], work, checked_scr), draws, lambda _: action(), harmless)
    stop()
    os.remove(log)


def mouse(x, y):
    return lambda: subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=env)


def poke(action, background=True):
    """Runs saver_poke ACTION; in the background when the caller times the saver's end, not the poke's."""
    if background:
        return lambda: subprocess.Popen(["wine", poke_exe, action], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
    return lambda: subprocess.run(["wine", poke_exe, action], env=env, capture_output=True, timeout=60)


def test_what_ends_the_saver(work):
    ends_on("a key press", lambda: key("a"), work,
            harmless=[("SC_SCREENSAVE from another program", poke("screensave", background=False)),
                      ("SC_CLOSE from another program", poke("sysclose", background=False))])
    ends_on("a mouse button", lambda: subprocess.run(["xdotool", "click", "1"], env=env), work)
    x, y = WIDTH // 2, HEIGHT // 2
    ends_on("a diagonal mouse move", mouse(x + 250, y + 230), work,
            harmless=[("a vertical move", mouse(x, y + 200)), ("a horizontal move", mouse(x + 240, y + 200))])
    ends_on("Alt+F4", lambda: key("alt+F4"), work)
    ends_on("WM_CLOSE from another program", poke("close"), work)
    ends_on("another window taking the activation", poke("activate"), work)
    ends_on("a further paint request", poke("paint"), work)
    closed = subprocess.run(["wine", poke_exe, "start-and-close", checked_scr], cwd=work, env=env,
                            capture_output=True, timeout=60).returncode
    check("a window closed before its first paint ends the program with status 0", closed == 0, closed)
    stop()


def dialog(work, keys, args=("/c",)):
    """Opens the settings dialog, presses `keys` (key groups, or functions for other steps) once it is in
    front, and returns its exit status (None when it never came to the front or did not end)."""
    process = start(list(args), work)
    status = None
    if foreground("Settings"):
        for group in keys:
            if callable(group):
                group()
            else:
                key(*group.split())
        status = ended(process, 30)
    if status is None:
        print("     (the dialog: " + process.evidence() + ")")
    stop(process)
    return status


def config():
    values = reg_values(CONFIG) or {}
    return values.get("Method"), values.get("Show Treble")


def test_settings_dialog(work):
    wine("reg", "delete", CONFIG, "/f")
    check("no arguments opens the dialog; OK stores the first item and a clear box",
          dialog(work, ["Return"], args=()) == 0 and config() == (("REG_SZ", "0"), ("REG_SZ", "0")), config())
    reg_set(CONFIG, "Method", "7")
    reg_set(CONFIG, "Show Treble", "1")
    check("the dialog opens on the stored method and box",
          dialog(work, ["Return"]) == 0 and config() == (("REG_SZ", "7"), ("REG_SZ", "1")), config())
    reg_set(CONFIG, "Method", "3")
    check("arrow keys move the selection, space toggles the box, Enter stores both",
          dialog(work, ["Tab Tab Down", "Tab space", "Return"]) == 0 and
          config() == (("REG_SZ", "4"), ("REG_SZ", "0")), config())
    check("Esc stores nothing",
          dialog(work, ["Tab Tab Down Down", "Tab space", "Escape"]) == 0 and
          config() == (("REG_SZ", "4"), ("REG_SZ", "0")), config())


def test_export(work):
    folder = os.path.join(work, "Glöckner dir")
    os.makedirs(folder)
    reg_set(CONFIG, "Method", "6")
    target = os.path.join(folder, "lead.txt")

    # The chooser opens in the dialog's working folder, later where the last export went: the name alone
    # names the file. A path typed with a letter the keyboard lacks loses it now and then under Wine (xdotool
    # binds a key to it for a moment only, and Wine looks the key up again later).
    def save_as():
        foreground("Save As")
        subprocess.run(["xdotool", "type", "--delay", "40", "lead"], env=env)
        key("Return")
        wait_for(lambda: os.path.exists(target), 10)

    status = dialog(folder, ["alt+space", "e", save_as, "Escape"])
    text = open(target, encoding="ascii").read() if os.path.exists(target) else None
    check("the system menu's export writes the lead into a folder with a non-ASCII name",
          status == 0 and text == "-3-14-125-36-147-58-169-70-18-9-19-E-19-9-18-70-169-58-147-36-125-14-3-12", text)

    if text is None:
        return
    os.chmod(target, 0o444)  # read-only
    told = []

    def save_over_read_only():
        foreground("Save As")
        subprocess.run(["xdotool", "type", "--delay", "40", "lead"], env=env)
        key("Return")
        foreground("Error")  # Wine's overwrite question
        key("alt+y")
        told.append(foreground("Lucenta"))
        key("Return")
        foreground("Settings")

    status = dialog(folder, ["alt+space", "e", save_over_read_only,
                           lambda: told.append(window_named("Settings")), "Escape"])
    now = open(target, encoding="ascii").read()
    told_by_box, still_open = told[0] if told else None, bool(told[1:] and told[1])
    check("an export onto a read-only file says so in a message box; the dialog stays open; the file is as it was",
          status == 0 and told_by_box and still_open and now == text,
          f"status {status}, message box {told_by_box}, dialog open {still_open}, file {now!r}")


def main():
    fresh_prefix()
    with tempfile.TemporaryDirectory() as work:
        test_command_lines_that_show_nothing(work)
        test_running_saver(work)
        test_stored_speed(work)
        os.remove(os.path.join(work, "Colours.log"))
        test_what_ends_the_saver(work)
        test_settings_dialog(work)
        test_export(work)
    return summary()


sys.exit(main())
