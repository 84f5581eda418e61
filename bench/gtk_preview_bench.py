#!/usr/bin/env python3
"""The cost of the settings dialog's live preview, measured from outside on the current X display (run by
gtk_preview_bench.sh): the CPU of the dialog's process and of the X server as shares of one core, with the
preview at 60 and 480 rows a second and at 0 (a new picture at every frame), beside the same dialog with the
preview still (its speed set to 1 row a second), in one run.

usage: gtk_preview_bench.py LUCENTA SERVER_PID [SECONDS]"""
import os
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [here, os.path.join(here, "..", "tests", "e2e")]
from screen_rows import cpu_seconds  # noqa: E402

lucenta, server_pid = os.path.abspath(sys.argv[1]), int(sys.argv[2])
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 10.0


def dialog_pid(process):
    """lucenta -c replaces itself with lucenta-settings: the same process."""
    return process.pid


def measure(speed, work):
    os.makedirs(os.path.join(work, "config", "lucenta"), exist_ok=True)
    with open(os.path.join(work, "config", "lucenta", "registry.reg"), "w") as reg:
        reg.write("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n"
                  f'"Speed"="{speed}"\n')
    env = dict(os.environ, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
               DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent", GSETTINGS_BACKEND="memory")
    process = subprocess.Popen([lucenta, "-c"], cwd=work, env=env, stderr=subprocess.DEVNULL)
    while not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Settings$"],
                             capture_output=True).stdout:
        time.sleep(0.05)
    time.sleep(1)
    before = cpu_seconds(dialog_pid(process)), cpu_seconds(server_pid), time.monotonic()
    time.sleep(seconds)
    after = cpu_seconds(dialog_pid(process)), cpu_seconds(server_pid), time.monotonic()
    subprocess.run(["xdotool", "key", "Escape"])
    process.wait()
    elapsed = after[2] - before[2]
    return (after[0] - before[0]) / elapsed, (after[1] - before[1]) / elapsed


def main():
    work = tempfile.mkdtemp()
    print(f"the settings dialog with its preview, {seconds:.0f} s a measure")
    print(f"  {'preview speed':<24} {'dialog':>7} {'X server':>9} {'together':>9}")
    for name, speed in (("1 (still: the baseline)", 1), ("60 (the default)", 60), ("480", 480),
                        ("0 (a picture a frame)", 0)):
        client, server = measure(speed, work)
        print(f"  {name:<24} {client:7.1%} {server:9.1%} {client + server:9.1%}")
    subprocess.run(["rm", "-rf", work])


main()
