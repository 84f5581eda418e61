#!/usr/bin/env python3
"""Measures the real `lucenta -s` from outside on headless sway at 1920x1080 (run by pacing_bench.sh), at the
default speed (60 rows a second), at 480 and at 0 (as fast as it draws, shown as fast as the frame
callbacks come): the rows per second on the screen, and the CPU time of lucenta and of the compositor as
a share of one core.

usage: wayland_rows_bench.py LUCENTA [SECONDS]

sway and lucenta run as the user nobody (sway refuses root). The rows are counted on the screen from
screenshots (grim) at known times: with the default settings (Plain Hunt, treble shown black) the treble's
positions in the two newest complete rows say how many changes have been rung, modulo the method's period
of 2n changes; shots of the bottom rows alone, taken in quick succession (about 25 a second), add up the
changes between them. The CPU time (utime +
stime from /proc) is measured over a span of its own, with no screenshots to load the compositor."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from saver_wayland import HeadlessSway  # noqa: E402  the tests' headless sway, as nobody

lucenta = os.path.abspath(sys.argv[1])
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10.0
WIDTH, HEIGHT = 1920, 1080
SPEEDS = [("default (60)", []), ("480", ["--speed", "480"]), ("0", ["--speed", "0"])]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


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


def plain_hunt_steps(n):
    """{(treble's column after change k - 1, after change k): k mod 2n} for Plain Hunt on n bells."""
    def apply(pos, first_pair_start):
        if pos < first_pair_start:
            return pos
        partner = pos + 1 if (pos - first_pair_start) % 2 == 0 else pos - 1
        return partner if partner < n else pos
    steps, pos = {}, 0
    for k in range(1, 2 * n + 1):
        after = apply(pos, 0 if k % 2 == 1 else 1)
        steps[(pos, after)] = k % (2 * n)
        pos = after
    return steps


def count_rows(sway, duration):
    """Rows per second on the screen over `duration`, from shots of the bottom rows taken as fast as grim takes
    them, and the most rows seen between two shots."""
    steps, period = plain_hunt_steps(WIDTH), 2 * WIDTH
    total, last, began, ended, gaps = 0, None, None, None, []
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        shot = sway.screenshot("HEADLESS-1", f"0,{HEIGHT - 3} {WIDTH}x3")
        now = time.monotonic()
        key = (treble_position(shot[:3 * WIDTH]), treble_position(shot[3 * WIDTH:6 * WIDTH]))
        if key in steps:
            if last is not None:
                gap = (steps[key] - last) % period
                total += gap
                gaps.append(gap)
            else:
                began = now
            last, ended = steps[key], now
    return total / (ended - began), max(gaps, default=0)


def main():
    root = tempfile.mkdtemp()
    os.chmod(root, 0o755)
    sway = HeadlessSway(root, {"HEADLESS-1": (WIDTH, HEIGHT)})
    try:
        print(f"headless sway (pixman) at {WIDTH}x{HEIGHT}, {seconds:.0f} s a measure")
        print(f"  {'speed':<13} {'rows/s':>8} {'lucenta':>8} {'sway':>7} {'together':>9}")
        for name, args in SPEEDS:
            process = sway.start(lucenta, "-s", *args)
            time.sleep(2)
            client, compositor = cpu_shares([process.pid, sway.sway.pid], seconds)
            rate, widest = count_rows(sway, seconds)
            ambiguous = " (rows between shots near the period: a lower bound)" if widest > WIDTH else ""
            print(f"  {name:<13} {rate:8.0f} {client:8.1%} {compositor:7.1%} {client + compositor:9.1%}{ambiguous}")
            process.terminate()
            process.wait()
    finally:
        sway.stop()
        shutil.rmtree(root, ignore_errors=True)


main()
