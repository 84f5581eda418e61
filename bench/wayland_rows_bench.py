#!/usr/bin/env python3
"""Measures the real `lucenta -s` from outside on headless sway at 1920x1080 (run by pacing_bench.sh), at the
default speed (60 rows a second), at 480 and at 0 (as fast as it draws, shown as fast as the frame
callbacks come): the rows per second on the screen, and the CPU time of lucenta and of the compositor as
a share of one core.

usage: wayland_rows_bench.py LUCENTA [SECONDS]

sway and lucenta run as the user nobody (sway refuses root). The rows are counted on the screen from
the treble (screen_rows.py) in shots of the bottom rows alone (grim), about 25 a second. The CPU time (utime +
stime from /proc) is measured over a span of its own, with no screenshots to load the compositor."""
import os
import shutil
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, os.path.join(here, "..", "tests", "e2e")]
from saver_wayland import HeadlessSway  # noqa: E402  the tests' headless sway, as nobody
from harness import copy_for_nobody  # noqa: E402
from screen_rows import RowCounter, cpu_seconds  # noqa: E402

lucenta = os.path.abspath(sys.argv[1])
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
WIDTH, HEIGHT = 1920, 1080
SPEEDS = [("default (60)", []), ("480", ["--speed", "480"]), ("0", ["--speed", "0"])]


def cpu_shares(pids, duration):
    before, began = [cpu_seconds(pid) for pid in pids], time.monotonic()
    time.sleep(duration)
    after, elapsed = [cpu_seconds(pid) for pid in pids], time.monotonic() - began
    return [(a - b) / elapsed for a, b in zip(after, before)]


def treble_position(rgb_row):
    for x in range(WIDTH):
        if rgb_row[3 * x:3 * x + 3] == b"\0\0\0":
            return x
    return None


def count_rows(sway, duration):
    """Rows per second on the screen over `duration`, from shots of the bottom rows taken as fast as grim takes
    them, and whether shots came too far apart to be sure of the count."""
    counter = RowCounter(WIDTH)
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        shot = sway.screenshot("HEADLESS-1", f"0,{HEIGHT - 3} {WIDTH}x3")
        counter.sample(treble_position(shot[:3 * WIDTH]), treble_position(shot[3 * WIDTH:6 * WIDTH]),
                       time.monotonic())
    return counter.rate(), counter.ambiguous()


def main():
    root = tempfile.mkdtemp()
    os.chmod(root, 0o755)
    saver = copy_for_nobody(lucenta, root)
    sway = HeadlessSway(root, {"HEADLESS-1": (WIDTH, HEIGHT)})
    try:
        print(f"headless sway (pixman) at {WIDTH}x{HEIGHT}, {seconds:.0f} s a measure")
        print(f"  {'speed':<13} {'rows/s':>8} {'lucenta':>8} {'sway':>7} {'together':>9}")
        for name, args in SPEEDS:
            process = sway.start(saver, "-s", *args)
            time.sleep(2)
            client, compositor = cpu_shares([process.pid, sway.sway.pid], seconds)
            rate, ambiguous = count_rows(sway, seconds)
            ambiguous = " (rows between shots near the period: a lower bound)" if ambiguous else ""
            print(f"  {name:<13} {rate:8.0f} {client:8.1%} {compositor:7.1%} {client + compositor:9.1%}{ambiguous}")
            process.terminate()
            process.wait()
    finally:
        sway.stop()
        shutil.rmtree(root, ignore_errors=True)


main()
