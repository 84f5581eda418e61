#!/usr/bin/python3
"""Stand-ins for the desktop's services that the idle watcher asks on the message buses, and a player that
holds idleness off, for the idle watcher's tests. Run with Debian's python3 (python3-dbus, python3-gi), on the
bus that DBUS_SESSION_BUS_ADDRESS names; commands come on stdin, one to a line, and "ready" on stdout says
that the names are taken.

usage: dbus_peers.py system    logind: "lock", "unlock", "request-lock", "block-idle", "unblock"
       dbus_peers.py session   gnome-session, GNOME's screen saver, PowerDevil: "gsm-inhibit", "gsm-uninhibit",
                               "gnome-lock", "gnome-unlock", "powerdevil-inhibit", "powerdevil-uninhibit"
       dbus_peers.py player    asks org.freedesktop.ScreenSaver to hold idleness off (Inhibit), and "uninhibit";
                               leaving the bus (stdin closed) drops the inhibitor too"""
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

PROPERTIES = "org.freedesktop.DBus.Properties"


class Properties(dbus.service.Object):
    """An object with properties of one interface, which tells their changes."""
    interface = ""

    def __init__(self, bus, path, values):
        super().__init__(bus, path)
        self.values = values

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.values[name]

    @dbus.service.signal(PROPERTIES, signature="sa{sv}as")
    def PropertiesChanged(self, interface, changed, invalidated):
        pass

    def set(self, name, value):
        self.values[name] = value
        self.PropertiesChanged(self.interface, {name: value}, [])


class Login1(Properties):
    interface = "org.freedesktop.login1.Manager"

    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="s", out_signature="o")
    def GetSession(self, session_id):
        return SESSION_PATH

    @dbus.service.method("org.freedesktop.login1.Manager", in_signature="u", out_signature="o")
    def GetSessionByPID(self, pid):
        return SESSION_PATH


class Session(Properties):
    interface = "org.freedesktop.login1.Session"

    @dbus.service.signal("org.freedesktop.login1.Session")
    def Lock(self):
        pass


class SessionManager(Properties):
    interface = "org.gnome.SessionManager"

    @dbus.service.method("org.gnome.SessionManager", in_signature="susu", out_signature="u")
    def Inhibit(self, app, xid, reason, flags):
        self.set("InhibitedActions", dbus.UInt32(flags))
        return 1

    @dbus.service.method("org.gnome.SessionManager", in_signature="u")
    def Uninhibit(self, cookie):
        self.set("InhibitedActions", dbus.UInt32(0))

    @dbus.service.method("org.gnome.SessionManager", in_signature="u", out_signature="b")
    def IsInhibited(self, flags):
        return bool(self.values["InhibitedActions"] & flags)


class GnomeScreenSaver(dbus.service.Object):
    active = False

    @dbus.service.method("org.gnome.ScreenSaver", out_signature="b")
    def GetActive(self):
        return self.active

    @dbus.service.signal("org.gnome.ScreenSaver", signature="b")
    def ActiveChanged(self, active):
        self.active = bool(active)


class PolicyAgent(dbus.service.Object):
    held = False

    @dbus.service.method("org.kde.Solid.PowerManagement.PolicyAgent", in_signature="u", out_signature="b")
    def HasInhibition(self, policies):
        return self.held and bool(policies & 4)

    @dbus.service.signal("org.kde.Solid.PowerManagement.PolicyAgent", signature="a(ss)as")
    def InhibitionsChanged(self, added, removed):
        pass


SESSION_PATH = "/org/freedesktop/login1/session/c1"


def system(bus):
    names = [dbus.service.BusName("org.freedesktop.login1", bus)]
    manager = Login1(bus, "/org/freedesktop/login1", {"BlockInhibited": "sleep:shutdown"})
    session = Session(bus, SESSION_PATH, {"LockedHint": False})
    return names, {"lock": lambda: session.set("LockedHint", True), "unlock": lambda: session.set("LockedHint", False),
                   "request-lock": session.Lock, "block-idle": lambda: manager.set("BlockInhibited", "sleep:idle"),
                   "unblock": lambda: manager.set("BlockInhibited", "sleep")}


def session(bus):
    names = [dbus.service.BusName(name, bus) for name in
             ("org.gnome.SessionManager", "org.gnome.ScreenSaver", "org.kde.Solid.PowerManagement.PolicyAgent")]
    manager = SessionManager(bus, "/org/gnome/SessionManager", {"InhibitedActions": dbus.UInt32(0)})
    saver = GnomeScreenSaver(bus, "/org/gnome/ScreenSaver")
    agent = PolicyAgent(bus, "/org/kde/Solid/PowerManagement/PolicyAgent")

    def powerdevil(held):
        agent.held = held
        agent.InhibitionsChanged([("player", "video")] if held else [], [] if held else ["player"])

    return names, {"gsm-inhibit": lambda: manager.Inhibit("player", 0, "video", 8),
                   "gsm-uninhibit": lambda: manager.Uninhibit(1),
                   "gnome-lock": lambda: saver.ActiveChanged(True), "gnome-unlock": lambda: saver.ActiveChanged(False),
                   "powerdevil-inhibit": lambda: powerdevil(True), "powerdevil-uninhibit": lambda: powerdevil(False)}


def player(bus):
    saver = dbus.Interface(bus.get_object("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"),
                           "org.freedesktop.ScreenSaver")
    cookie = saver.Inhibit("player", "a video plays")
    return [], {"uninhibit": lambda: saver.UnInhibit(cookie)}


def main():
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    kept, commands = {"system": system, "session": session, "player": player}[sys.argv[1]](bus)
    loop = GLib.MainLoop()

    def command(source, condition):
        line = sys.stdin.readline()
        if not line:
            loop.quit()
            return False
        commands[line.strip()]()
        print("done", flush=True)
        return True

    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, command)
    print("ready", flush=True)
    loop.run()
    return kept


if __name__ == "__main__":
    main()
