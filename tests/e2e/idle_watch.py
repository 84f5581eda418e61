#!/usr/bin/env python3
"""Drives the idle watcher, `lucenta --idle 0.025` (1.5 s), on this machine's desktops as their users would: on
Xvfb (X11's idle time), headless sway (KDE's idle protocol), kwin (ext-idle-notify) and mutter (GNOME's idle
monitor on the session bus), each with buses of its own: the saver comes the idle time after the last input and
not before nor later, input ends it and it comes back; what holds idleness off or locks the session (an
inhibitor, a player, logind, GNOME, PowerDevil, stand-ins for the last three) ends it and keeps it away until it
lets go. On Xvfb also: a player's inhibitor outlives its watcher and holds a second session on the same bus; one
watcher per session, whatever lucenta --idle off meets (a watcher starting, one slow to end, a stopped saver);
a watcher that cannot watch names what it tried and leaves the running one; nothing outlives a lost display.
Weston, which reports no idle time, and a display where xscreensaver runs are refused.

usage: idle_watch.py LUCENTA LUCENTA_RENDER LUCENTA_NOTATION WL_TEST_CLIENT
Needs Xvfb, xdotool, xscreensaver, sway, wtype, grim, kwin_wayland, mutter, weston, dbus-daemon, gdbus, setpriv
and Debian's python3 with python3-dbus and python3-gi; the desktops run as the user nobody."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from harness import NobodySession, Program, check, copy_for_nobody, ended, require, summary, wait_for
from screen_checks import Picture, rendered_colours_log

MINUTES, IDLE = "0.025", 1.5
EARLY = 0.25  # how much sooner than the idle time the saver may come: the test's own latency
PEERS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dbus_peers.py")


class Desktop(NobodySession):
    """A session of the test's own, run as nobody, with a session bus and a system bus (each a dbus-daemon of its
    own), and copies of the programs that nobody may run."""

    def __init__(self, name):
        super().__init__(tempfile.mkdtemp())
        self.name, self.processes = name, []
        self.lucenta = copy_for_nobody(lucenta, self.root)
        self.client = copy_for_nobody(test_client, self.root)
        self.peers = copy_for_nobody(PEERS, self.root)  # the source tree may lie where nobody cannot read
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.bus()
        self.env["DBUS_SYSTEM_BUS_ADDRESS"] = self.bus()

    def bus(self):
        daemon = subprocess.Popen(self.command("dbus-daemon", "--session", "--nofork", "--print-address=1"),
                                  stdout=subprocess.PIPE, text=True)
        self.processes.append(daemon)
        return daemon.stdout.readline().strip()

    def start(self, *command, **extra):
        process = super().start(*command, **extra)
        self.processes.append(process)
        return process

    def peer(self, role, **extra):
        """A stand-in of dbus_peers.py on the session bus (the system bus for "system"); its commands by `do`."""
        if role == "system":
            extra["DBUS_SESSION_BUS_ADDRESS"] = self.env["DBUS_SYSTEM_BUS_ADDRESS"]
        peer = subprocess.Popen(self.command("/usr/bin/python3", self.peers, role, **extra), stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True)
        self.processes.append(peer)
        if peer.stdout.readline().strip() != "ready":
            raise RuntimeError(f"the {role} stand-in did not start")
        return peer

    def compositor(self, socket, *command, **extra):
        """Starts a Wayland compositor of the desktop and waits for its socket; whether it came."""
        self.start(*command, **extra)
        runtime = self.env["XDG_RUNTIME_DIR"]
        came = check(f"{self.name} starts", wait_for(lambda: socket in os.listdir(runtime), 20), os.listdir(runtime))
        self.env["WAYLAND_DISPLAY"] = socket
        return came

    def watch(self, *extra_words, **extra):
        return self.start(self.lucenta, "--idle", MINUTES, *extra_words, **extra)

    def saver_runs(self):
        return subprocess.run(["pgrep", "-f", f"^{self.lucenta} -s"], capture_output=True).returncode == 0

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                if ended(process, 5) is None:
                    process.kill()
            if isinstance(process, Program):
                process.stop()
        subprocess.run(["pkill", "-u", "nobody", "-f", f"^{self.root}/"], capture_output=True)
        shutil.rmtree(self.root, ignore_errors=True)


def do(peer, command):
    peer.stdin.write(command + "\n")
    peer.stdin.flush()
    if peer.stdout.readline().strip() != "done":
        raise RuntimeError(f"the stand-in did not do {command}")


def release(peer):
    peer.stdin.close()
    peer.wait(10)


def comes_within(desktop, since, limit=IDLE + 8):
    """The seconds from `since` until the saver runs, waiting for it; None when it does not come."""
    return time.monotonic() - since if wait_for(desktop.saver_runs, limit, 0.05) else None


def holds_lock(process, byte):
    """Whether the process holds the lock on the byte of its session's lock file, as the kernel lists it."""
    with open("/proc/locks") as locks:
        return any(line.split()[4:5] == [str(process.pid)] and line.split()[6:7] == [str(byte)] for line in locks)


def idle_cycle(desktop, user_input, *extra_words, **extra):
    """After a second without input a watcher starts, and input comes at once: the saver comes the idle time
    after that input, neither before nor later (the first period counts from the last input, whenever it came);
    input ends it; it comes back. The watcher."""
    name = desktop.name
    user_input()
    time.sleep(1.0)  # the session, idle for a second when the watcher starts
    watcher = desktop.watch(*extra_words, **extra)
    wait_for(lambda: holds_lock(watcher, 0), 10)  # it watches
    user_input()
    acted = time.monotonic()
    after = comes_within(desktop, acted)
    check(f"{name}: the saver comes {IDLE:.1f} s after the last input, not before nor later",
          after is not None and IDLE - EARLY <= after <= IDLE + 0.9, f"after {after} s; watcher {watcher.evidence()}")
    user_input()
    acted = time.monotonic()
    check(f"{name}: input ends it", wait_for(lambda: not desktop.saver_runs(), 3, 0.05), watcher.evidence())
    after = comes_within(desktop, acted)
    check(f"{name}: ... and it comes back after the idle time", after is not None and after >= IDLE - EARLY,
          f"after {after} s; watcher {watcher.evidence()}")
    return watcher


def held_off(desktop, watcher, what, hold, let_go, stays_away=True, user_input=None):
    """With the saver running, a hold ends it (and keeps it away); let go, the saver comes after the idle time.
    A hold that the session does not tell of while it is idle (a Wayland inhibitor) is taken after input has
    ended the saver: it keeps the next one away."""
    name = desktop.name
    wait_for(desktop.saver_runs, IDLE + 8, 0.05)
    if user_input:
        user_input()
        wait_for(lambda: not desktop.saver_runs(), 3, 0.05)
    hold()
    if not user_input:
        check(f"{name}: {what} ends the saver", wait_for(lambda: not desktop.saver_runs(), 3, 0.05),
              watcher.evidence())
    if stays_away:
        check(f"{name}: {what} keeps it away", not wait_for(desktop.saver_runs, IDLE + 1.5, 0.1),
              watcher.evidence())
    let_go()
    released = time.monotonic()
    after = comes_within(desktop, released)
    check(f"{name}: let go, the saver comes after the idle time", after is not None and after >= IDLE - EARLY,
          f"after {after} s; watcher {watcher.evidence()}")


def stop_watcher(desktop, watcher, how=signal.SIGTERM):
    watcher.send_signal(how)
    status = ended(watcher, 10)
    check(f"{desktop.name}: {how.name} ends the watcher with status 0, and its saver",
          status == 0 and wait_for(lambda: not desktop.saver_runs(), 3), watcher.evidence())


def start_xvfb(desktop):
    """A new X server of the desktop's; the server and its display."""
    number_file = os.path.join(desktop.root, "display")
    with open(number_file, "w") as out:
        server = subprocess.Popen(["Xvfb", "-displayfd", str(out.fileno()), "-screen", "0", "640x480x24",
                                   "-nolisten", "tcp", "-noreset"], pass_fds=(out.fileno(),),
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: open(number_file).read().strip(), 10)
    return server, ":" + open(number_file).read().strip()


def test_x11():
    desktop = Desktop("Xvfb")
    try:
        server, desktop.env["DISPLAY"] = start_xvfb(desktop)
        xdotool = lambda *words: subprocess.run(["xdotool", *words], env=dict(os.environ, DISPLAY=desktop.env["DISPLAY"]))
        system, session = desktop.peer("system"), desktop.peer("session")
        watcher = idle_cycle(desktop, lambda: xdotool("mousemove", "--", "100", "100", "key", "a"))
        players = []
        held_off(desktop, watcher, "a player's inhibitor (org.freedesktop.ScreenSaver, served by the watcher)",
                 lambda: players.append(desktop.peer("player")), lambda: release(players[0]))
        for what, hold, let_go, stays_away in (
                ("logind's idle inhibitor (BlockInhibited)", (system, "block-idle"), (system, "unblock"), False),
                ("PowerDevil's inhibition", (session, "powerdevil-inhibit"), (session, "powerdevil-uninhibit"), False),
                ("the session locked (logind's LockedHint)", (system, "lock"), (system, "unlock"), True),
                ("GNOME's screen saver locking", (session, "gnome-lock"), (session, "gnome-unlock"), False)):
            held_off(desktop, watcher, what, lambda: do(*hold), lambda: do(*let_go), stays_away)
        wait_for(desktop.saver_runs, IDLE + 8, 0.05)
        do(system, "request-lock")
        check("Xvfb: logind asking the session to lock ends the saver",
              wait_for(lambda: not desktop.saver_runs(), 3, 0.05), watcher.evidence())
        watcher = test_holds_outlive_their_watcher(desktop, watcher)
        test_one_watcher_per_session(desktop, watcher)
        test_xscreensaver_refused(desktop)
        test_display_lost(desktop, server)
    finally:
        desktop.close()


def savers(desktop):
    return subprocess.run(["pgrep", "-f", f"^{desktop.lucenta} -s"], capture_output=True, text=True).stdout.split()


def test_holds_outlive_their_watcher(desktop, first):
    """A player's inhibitor, held with a watcher that another replaces, keeps the new one's saver away, and
    also that of a second session of the user on the same bus; let go, both savers come. The new watcher."""
    player = desktop.peer("player")
    second = desktop.watch()
    other_server, other_display = start_xvfb(desktop)
    other = desktop.watch(DISPLAY=other_display)
    check("Xvfb: the player's inhibitor outlives the watcher it was asked of, and holds another session's",
          ended(first, 10) == 0 and not wait_for(desktop.saver_runs, IDLE + 1.5, 0.1),
          (first.evidence(), second.evidence(), other.evidence()))
    release(player)
    check("Xvfb: ... let go, the saver comes in both sessions", wait_for(lambda: len(savers(desktop)) == 2, IDLE + 8),
          (second.evidence(), other.evidence()))
    other.terminate()
    check("Xvfb: the other session's watcher ends with its saver", ended(other, 10) == 0 and
          wait_for(lambda: len(savers(desktop)) == 1, 5), other.evidence())
    other_server.kill()
    return second


def test_one_watcher_per_session(desktop, first):
    second = desktop.watch("--speed", "30")
    check("Xvfb: a new watcher in the same session replaces the running one", ended(first, 10) == 0 and
          wait_for(lambda: holds_lock(second, 0), 10), (first.evidence(), second.evidence()))
    third = desktop.watch(DISPLAY=desktop.env["DISPLAY"] + ".0")  # the same display
    off = desktop.run(desktop.lucenta, "--idle", "off")
    check("Xvfb: lucenta --idle off, run as a new watcher starts, ends the running one and the new one",
          off.returncode == 0 and "has ended" in off.stdout and ended(second, 10) == 0 and ended(third, 10) == 0,
          (off, second.evidence(), third.evidence()))
    busy = desktop.watch()
    wait_for(lambda: holds_lock(busy, 0), 10)
    busy.send_signal(signal.SIGSTOP)  # busy for a moment: it takes its time to end
    new = desktop.watch()
    wait_for(lambda: holds_lock(new, 1), 10)
    off = desktop.start(desktop.lucenta, "--idle", "off")
    busy.send_signal(signal.SIGCONT)
    check("Xvfb: ... and where the replaced one takes its time, it ends the new one that holds the session then",
          ended(off, 20) == 0 and f"process {new.pid}" in off.output() and ended(busy, 10) == 0 and
          ended(new, 10) == 0, (off.evidence(), busy.evidence(), new.evidence()))
    watcher = desktop.watch()
    wait_for(desktop.saver_runs, IDLE + 8, 0.05)
    os.kill(int(savers(desktop)[0]), signal.SIGSTOP)
    off = desktop.run(desktop.lucenta, "--idle", "off")
    check("Xvfb: off ends a watcher whose saver is stopped, and the saver with it", off.returncode == 0 and
          ended(watcher, 10) == 0 and not desktop.saver_runs(), (off, watcher.evidence()))


def test_xscreensaver_refused(desktop):
    running = desktop.watch()
    wait_for(lambda: holds_lock(running, 0), 10)
    daemon = desktop.start("xscreensaver", "-no-splash", **{"DISPLAY": desktop.env["DISPLAY"]})
    ready = wait_for(lambda: desktop.run("xscreensaver-command", "-time").returncode == 0, 10, 0.2)
    watcher = desktop.watch()
    status = ended(watcher, 10)
    check("Xvfb: where xscreensaver runs, the watcher says so in one line, ends with status 1 and leaves the "
          "running one", ready and status == 1 and watcher.output().count("\n") == 1 and "xscreensaver" in
          watcher.output() and running.poll() is None, (watcher.evidence(), running.evidence()))
    desktop.run("xscreensaver-command", "-exit")
    ended(daemon, 5)
    running.terminate()
    ended(running, 10)
    for extra, said in (({"DISPLAY": ":77"}, "cannot open the X display ':77'"),
                        ({"WAYLAND_DISPLAY": "no-compositor", "DISPLAY": ":77"}, "'no-compositor'")):
        refused = desktop.run(desktop.lucenta, "--idle", MINUTES, **extra)
        check(f"Xvfb: {extra}: the watcher names what it tried, in one line, and ends with status 1",
              refused.returncode == 1 and said in refused.stderr and refused.stderr.count("\n") == 1, refused)


def test_display_lost(desktop, server):
    """A Wayland socket that names no compositor leaves the X display to watch; the X server going away under a
    showing saver ends the watcher with status 1, and leaves no saver."""
    watcher = desktop.watch(WAYLAND_DISPLAY="no-compositor")
    check("Xvfb: with a WAYLAND_DISPLAY that names no compositor, the watcher watches the X display",
          wait_for(desktop.saver_runs, IDLE + 8, 0.05), watcher.evidence())
    server.kill()
    status = ended(watcher, 10)
    check("Xvfb: the X server going away ends the watcher with status 1, says so, and leaves no saver",
          status == 1 and "X server was lost" in watcher.output() and wait_for(lambda: not desktop.saver_runs(), 5),
          watcher.evidence())


def test_sway():
    desktop = Desktop("sway")
    try:
        config = os.path.join(desktop.root, "sway.conf")
        with open(config, "w") as out:
            out.write("xwayland disable\noutput HEADLESS-1 mode --custom 640x480@60Hz\n")
        if not desktop.compositor("wayland-1", "sway", "-c", config, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                                  WLR_LIBINPUT_NO_DEVICES="1"):
            return
        key = lambda: desktop.run("wtype", "-s", "100", "-k", "a")
        watcher = idle_cycle(desktop, key)
        test_sway_picture(desktop, watcher)
        inhibitors = []
        held_off(desktop, watcher, "a window's idle inhibitor", lambda: inhibitors.append(held_inhibitor(desktop)),
                 lambda: release(inhibitors[0]), user_input=key)
        stop_watcher(desktop, watcher, signal.SIGHUP)
    finally:
        desktop.close()


def held_inhibitor(desktop):
    player = subprocess.Popen(desktop.command(desktop.client, "inhibit"), stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, text=True)
    desktop.processes.append(player)
    if player.stdout.readline().strip() != "inhibiting":
        raise RuntimeError("no idle inhibitor")
    return player


def test_sway_picture(desktop, watcher):
    """The picture on sway's headless output (640x480), as the renderer draws it."""
    wait_for(desktop.saver_runs, IDLE + 8, 0.05)
    picture = Picture(notation, rendered_colours_log(render, os.path.join(desktop.root, "render"), 640, 480),
                      640, 480)
    grim = lambda: subprocess.run(desktop.command("grim", "-t", "ppm", "-"), capture_output=True).stdout
    shown = wait_for(lambda: picture.steps_shown(grim().split(b"\n", 3)[-1]), 10, 0.2)
    check("sway: the saver that the watcher starts shows the picture", shown, watcher.evidence())


def test_kwin():
    desktop = Desktop("kwin")
    try:
        kwin = copy_for_nobody("/usr/bin/kwin_wayland", desktop.root)  # the original has file capabilities
        if not desktop.compositor("wl-kwin", kwin, "--virtual", "--no-lockscreen", "--socket", "wl-kwin", "--width",
                                  "800", "--height", "600"):
            return
        activity = lambda: desktop.run(desktop.client, "activity")
        watcher = idle_cycle(desktop, activity)
        inhibitors = []
        held_off(desktop, watcher, "a window's idle inhibitor", lambda: inhibitors.append(held_inhibitor(desktop)),
                 lambda: release(inhibitors[0]), user_input=activity)
        stop_watcher(desktop, watcher)
    finally:
        desktop.close()


def test_mutter():
    desktop = Desktop("mutter")
    try:
        session = desktop.peer("session")  # gnome-session's stand-in, there before mutter asks it
        if not desktop.compositor("wl-mutter", "mutter", "--headless", "--wayland", "--no-x11", "--virtual-monitor",
                                  "800x600", "--wayland-display", "wl-mutter", MUTTER_DEBUG_RESET_IDLETIME="1"):
            return
        monitor = lambda what, *words: desktop.run("gdbus", what, "--session", "--dest", "org.gnome.Mutter.IdleMonitor",
                                                   "--object-path", "/org/gnome/Mutter/IdleMonitor/Core", *words)
        wait_for(lambda: monitor("introspect").returncode == 0, 20, 0.2)  # on the bus a moment after the socket
        reset = lambda: monitor("call", "--method", "org.gnome.Mutter.IdleMonitor.ResetIdletime")
        watcher = idle_cycle(desktop, reset)
        held_off(desktop, watcher, "gnome-session's idle inhibitor (flag 8)", lambda: do(session, "gsm-inhibit"),
                 lambda: do(session, "gsm-uninhibit"))
        stop_watcher(desktop, watcher)
    finally:
        desktop.close()


def test_weston():
    desktop = Desktop("weston")
    try:
        if not desktop.compositor("wl-weston", "weston", "--backend=headless-backend.so", "--socket=wl-weston",
                                  "--idle-time=0"):
            return
        watcher = desktop.watch()
        status = ended(watcher, 10)
        check("weston, which reports no idle time: status 1 and one line that says what is missing",
              status == 1 and watcher.output().count("\n") == 1 and "no idle time" in watcher.output(),
              watcher.evidence())
    finally:
        desktop.close()


def main():
    global lucenta, render, notation, test_client
    require("Xvfb", "xdotool", "xscreensaver", "xscreensaver-command", "sway", "wtype", "grim", "kwin_wayland", "mutter",
            "weston", "dbus-daemon", "gdbus", "setpriv", "pgrep", "pkill", root=True,
            python=["import dbus, dbus.mainloop.glib, gi"])
    lucenta, render, notation, test_client = (os.path.abspath(arg) for arg in sys.argv[1:5])
    test_x11()
    test_sway()
    test_kwin()
    test_mutter()
    test_weston()
    return summary()


if __name__ == "__main__":
    sys.exit(main())
