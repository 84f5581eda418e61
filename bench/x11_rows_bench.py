#!/usr/bin/env python3
"""Measures the real `lucenta -s` from outside on the current X display (run by x11_rows_bench.sh), at the
default speed (60 rows a second), at 480 and at 0 (as fast as it draws): the rows per second on the screen,
the CPU time of lucenta and of the X server as a share of one core, the time from the start to the first row
and from a key press to the process's end; beside them the scroll-only ceiling and the naive per-pixel path
of x11_scroll_bench.

usage: x11_rows_bench.py LUCENTA X11_SCROLL_BENCH SERVER_PID [SECONDS]

The rows are counted on the screen from the treble (screen_rows.py), sampled every 20 ms. The CPU time
(utime + stime from /proc) is measured over a span of its own, with no sampling to load the server."""
import ctypes
import ctypes.util
import os
import subprocess
import sys
import tempfile
import threading
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, os.path.join(here, "..", "tests", "e2e")]
from screen_rows import RowCounter, cpu_seconds  # noqa: E402
from x11_window import image_rows  # noqa: E402

lucenta, scroll_bench = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
server_pid = int(sys.argv[3])
seconds = float(sys.argv[4]) if len(sys.argv) > 4 else 10.0
SPEEDS = [("default (60)", []), ("480", ["--speed", "480"]), ("0", ["--speed", "0"])]

x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XDefaultScreen.argtypes = [ctypes.c_void_p]
x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]

display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
WIDTH = x11.XDisplayWidth(display, x11.XDefaultScreen(display))
HEIGHT = x11.XDisplayHeight(display, x11.XDefaultScreen(display))


def rows_at_bottom(count):
    """The screen's bottom `count` rows as 32-bit pixels, top one first."""
    return image_rows(display, root, HEIGHT - count, count, WIDTH)


def treble_position(row):
    """The column of the black pixel (the treble), None when there is none."""
    at = row.find(b"\0\0\0")
    while at >= 0 and at % 4 != 0:
        at = row.find(b"\0\0\0", at + 1)
    return at // 4 if at >= 0 else None


def count_rows(duration):
    """Rows per second on the screen during `duration` seconds, from the two newest complete rows sampled
    every 20 ms (light on the server, well under a period of rows apart)."""
    counter = RowCounter(WIDTH)
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        older, newer, _ = rows_at_bottom(3)
        counter.sample(treble_position(older), treble_position(newer), time.monotonic())
        time.sleep(0.02)
    return counter.rate()


def wait_for_first_row(process, started):
    while process.poll() is None:
        bottom = rows_at_bottom(1)[0]
        if bottom.count(b"\0") < len(bottom) - WIDTH:  # more than the unused fourth bytes
            return time.monotonic() - started
    return None


def key_to_exit(process):
    keycode = x11.XKeysymToKeycode(display, 0x61)  # 'a'
    pressed = time.monotonic()
    xtst.XTestFakeKeyEvent(display, keycode, 1, 0)
    xtst.XTestFakeKeyEvent(display, keycode, 0, 0)
    x11.XFlush(display)
    process.wait()
    return time.monotonic() - pressed


def cpu_shares(pid, duration):
    """The shares of one core that the process and the X server use over `duration` seconds."""
    before = cpu_seconds(pid), cpu_seconds(server_pid), time.monotonic()
    time.sleep(duration)
    after = cpu_seconds(pid), cpu_seconds(server_pid), time.monotonic()
    elapsed = after[2] - before[2]
    return (after[0] - before[0]) / elapsed, (after[1] - before[1]) / elapsed


def baseline(mode, sampled=False):
    """The rows per second of x11_scroll_bench; `sampled`: with the screen read as count_rows reads it, so
    that the saver and its ceiling share the load of the measure."""
    stop = threading.Event()

    def sample():
        while not stop.is_set():
            rows_at_bottom(3)
            time.sleep(0.02)
    sampler = threading.Thread(target=sample)
    if sampled:
        sampler.start()
    rate = float(subprocess.run([scroll_bench, mode, str(seconds)], capture_output=True, text=True,
                                check=True).stdout)
    stop.set()
    if sampled:
        sampler.join()
    return rate


def unpaced_against_ceiling(env, work, rounds=3):
    """The unpaced saver and the scroll-only ceiling, measured by turns under the same sampling, best of
    `rounds` each: the machine's own drift (another tenant, the clock) falls on both alike."""
    saver, ceiling = [], []
    for _ in range(rounds):
        ceiling.append(baseline("scroll", sampled=True))
        process = subprocess.Popen([lucenta, "-s", "--speed", "0"], cwd=work, env=env)
        wait_for_first_row(process, time.monotonic())
        time.sleep(1)
        saver.append(count_rows(seconds))
        key_to_exit(process)
    return max(saver), max(ceiling), saver, ceiling


def main():
    work = tempfile.mkdtemp()
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"))
    scroll, naive = baseline("scroll"), baseline("naive")
    print(f"{WIDTH}x{HEIGHT}, {seconds:.0f} s a measure; scroll only {scroll:.0f} rows/s, naive per-pixel {naive:.0f}")
    print(f"  {'speed':<13} {'rows/s':>8} {'lucenta':>8} {'X server':>9} {'together':>9} {'first row':>10} "
          f"{'key to end':>11}")
    for name, args in SPEEDS:
        started = time.monotonic()
        process = subprocess.Popen([lucenta, "-s", *args], cwd=work, env=env)
        first = wait_for_first_row(process, started)
        time.sleep(1)
        client, server = cpu_shares(process.pid, seconds)
        rate = count_rows(seconds)
        to_end = key_to_exit(process)
        print(f"  {name:<13} {rate:8.0f} {client:8.1%} {server:9.1%} {client + server:9.1%} "
              f"{1000 * first:8.0f} ms {1000 * to_end:8.1f} ms")
        if args == ["--speed", "0"]:
            print(f"  unpaced / naive = {rate / naive:.1f}x")
    best, ceiling, rates, ceilings = unpaced_against_ceiling(env, work)
    print(f"  unpaced, by turns with the scroll-only ceiling under the same sampling: {best:.0f} of {ceiling:.0f} "
          f"rows/s = {best / ceiling:.1%} (best of {len(rates)}; saver {', '.join(f'{r:.0f}' for r in rates)}; "
          f"ceiling {', '.join(f'{c:.0f}' for c in ceilings)})")
    subprocess.run(["rm", "-rf", work])


main()
