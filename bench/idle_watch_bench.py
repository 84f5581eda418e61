#!/usr/bin/env python3
"""Measures the idle watcher, `lucenta --idle`, from outside on the current X display (run by
idle_watch_bench.sh), with a session bus of its own (where it serves org.freedesktop.ScreenSaver):
- its CPU time as a share of one core, and its resident memory, over SECONDS of waiting (goals: at most
  0.05% of a core and 8 MB);
- the time from the end of an idle period (the last input, sent here through XTest, plus MINUTES) to the
  first frame of the saver that an observer sees (the screen's bottom row read every millisecond), over
  ROUNDS rounds (goal: at most 100 ms).

usage: idle_watch_bench.py LUCENTA [SECONDS] [ROUNDS]"""
import ctypes
import ctypes.util
import os
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, os.path.join(here, "..", "tests", "e2e")]
from screen_rows import cpu_seconds  # noqa: E402
import x11_window  # noqa: E402
from x11_window import image_rows  # noqa: E402

lucenta = os.path.abspath(sys.argv[1])
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
MINUTES, IDLE = "0.05", 3.0

# Xlib as the tests' window helper loads it; XTest for the input.
x11 = x11_window._x
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst"))
x11.XDisplayWidth.argtypes = x11.XDisplayHeight.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]

display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
width, height = x11.XDisplayWidth(display, 0), x11.XDisplayHeight(display, 0)


def resident_megabytes(pid):
    with open(f"/proc/{pid}/status") as status:
        return next(int(line.split()[1]) for line in status if line.startswith("VmRSS:")) / 1024


def move_pointer(k):
    """Input through XTest; the time when the server has it."""
    xtst.XTestFakeMotionEvent(display, -1, 100 + k % 2 * 50, 100 + k % 2 * 40, 0)
    x11.XSync(display, 0)
    return time.monotonic()


def bottom_row_drawn():
    return any(image_rows(display, root, height - 1, 1, width)[0])


def waiting(work):
    watcher = subprocess.Popen([lucenta, "--idle", "30"], cwd=work)
    time.sleep(1)  # its start-up, which is not waiting
    before, cpu_before = time.monotonic(), cpu_seconds(watcher.pid)
    time.sleep(seconds)
    share = (cpu_seconds(watcher.pid) - cpu_before) / (time.monotonic() - before)
    memory = resident_megabytes(watcher.pid)
    watcher.terminate()
    watcher.wait()
    print(f"waiting {seconds:.0f} s: CPU {100 * share:.3f}% of a core, resident {memory:.1f} MB "
          "(goals: at most 0.05% and 8 MB)")


def idle_to_first_frame(work):
    watcher = subprocess.Popen([lucenta, "--idle", MINUTES], cwd=work)
    latencies = []
    last_input = move_pointer(0)
    for k in range(rounds):
        while not bottom_row_drawn():
            time.sleep(0.001)
        latencies.append(time.monotonic() - last_input - IDLE)
        last_input = move_pointer(k + 1)  # ends the saver, and starts the next idle period
        while bottom_row_drawn():  # the saver's window goes: the black root shows again
            time.sleep(0.001)
    watcher.terminate()
    watcher.wait()
    print(f"end of the idle period to the saver's first frame: median {1000 * statistics.median(latencies):.0f} ms, "
          f"longest {1000 * max(latencies):.0f} ms over {rounds} rounds (goal: at most 100 ms)")


with tempfile.TemporaryDirectory() as work:
    waiting(work)
    idle_to_first_frame(work)
