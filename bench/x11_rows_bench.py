#!/usr/bin/env python3
"""Measures the real `lucenta -s` from outside on the current X display (run by x11_rows_bench.sh), at the
default speed (60 rows a second), at 480 and at 0 (as fast as it draws): the rows per second on the screen,
the CPU time of lucenta and of the X server as a share of one core, the time from the start to the first row
and from a key press to the process's end; beside them the scroll-only ceiling and the naive per-pixel path
of x11_scroll_bench.

usage: x11_rows_bench.py LUCENTA X11_SCROLL_BENCH SERVER_PID [SECONDS]

The rows are counted on the screen: with the default settings (Plain Hunt, treble shown black) the
treble's positions in the two newest complete rows say how many changes have been rung, modulo the
method's period of 2n changes; samples taken every 20 ms add up the changes between them. The CPU time
(utime + stime from /proc) is measured over a span of its own, with no sampling to load the server."""
import ctypes
import ctypes.util
import os
import subprocess
import sys
import tempfile
import time

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


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
ZPIXMAP, ALL_PLANES = 2, 0xFFFFFFFF

display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
WIDTH = x11.XDisplayWidth(display, x11.XDefaultScreen(display))
HEIGHT = x11.XDisplayHeight(display, x11.XDefaultScreen(display))


def rows_at_bottom(count):
    """The screen's bottom `count` rows as 32-bit pixels, top one first."""
    image = x11.XGetImage(display, root, 0, HEIGHT - count, WIDTH, count, ALL_PLANES, ZPIXMAP)
    stride = image.contents.bytes_per_line
    data = ctypes.string_at(image.contents.data, stride * count)
    image.contents.destroy_image(image)
    return [data[r * stride:r * stride + WIDTH * 4] for r in range(count)]


def treble_position(row):
    """The column of the black pixel (the treble), None when there is none."""
    at = row.find(b"\0\0\0")
    while at >= 0 and at % 4 != 0:
        at = row.find(b"\0\0\0", at + 1)
    return at // 4 if at >= 0 else None


def plain_hunt_steps(n):
    """{(treble's column after change k - 1, after change k): k mod 2n} for Plain Hunt on n bells."""
    def apply(pos, first_pair_start):
        if pos < first_pair_start:
            return pos
        partner = pos + 1 if (pos - first_pair_start) % 2 == 0 else pos - 1
        return partner if partner < n else pos
    steps, pos = {}, 0
    for k in range(1, 2 * n + 1):
        after = apply(pos, 0 if k % 2 == 1 else 1)  # changes alternate: cross, then place 1
        steps[(pos, after)] = k % (2 * n)
        pos = after
    return steps


def count_rows(steps, period, duration):
    """Changes rung on the screen during `duration` seconds, by sampling the two newest complete rows."""
    total, last, began = 0, None, None
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        older, newer, _ = rows_at_bottom(3)
        key = (treble_position(older), treble_position(newer))
        now = time.monotonic()
        if key in steps:
            if last is not None:
                total += (steps[key] - last) % period
            else:
                began = now
            last = steps[key]
            ended = now
        time.sleep(0.02)  # light on the server, well under a period of rows apart
    return total / (ended - began)


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


def cpu_seconds(pid):
    """utime + stime of the process so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_shares(pid, duration):
    """The shares of one core that the process and the X server use over `duration` seconds."""
    before = cpu_seconds(pid), cpu_seconds(server_pid), time.monotonic()
    time.sleep(duration)
    after = cpu_seconds(pid), cpu_seconds(server_pid), time.monotonic()
    elapsed = after[2] - before[2]
    return (after[0] - before[0]) / elapsed, (after[1] - before[1]) / elapsed


def baseline(mode):
    return float(subprocess.run([scroll_bench, mode, str(seconds)], capture_output=True, text=True,
                                check=True).stdout)


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
        rate = count_rows(plain_hunt_steps(WIDTH), 2 * WIDTH, seconds)
        to_end = key_to_exit(process)
        print(f"  {name:<13} {rate:8.0f} {client:8.1%} {server:9.1%} {client + server:9.1%} "
              f"{1000 * first:8.0f} ms {1000 * to_end:8.1f} ms")
        if args == ["--speed", "0"]:
            print(f"  unpaced / scroll-only ceiling = {rate / scroll:.1%}; unpaced / naive = {rate / naive:.1f}x")
    subprocess.run(["rm", "-rf", work])


main()
