#!/usr/bin/python3
"""Finds the settings dialog's controls by what they are, through the accessibility bus, for the dialog's tests:
a new control then shifts no other. Run with Debian's python3 (python3-gi, gir1.2-atspi-2.0), on the session bus
that DBUS_SESSION_BUS_ADDRESS names.

usage: atspi_controls.py focus ROLE NAME   gives the keyboard focus to the control (role and name as AT-SPI says
                                           them, "check box" "Show Treble"); status 1 when there is none
       atspi_controls.py focused           prints the role and the name of the control that has the focus"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def controls(node):
    yield node
    for k in range(node.get_child_count()):
        child = node.get_child_at_index(k)
        if child is not None:
            yield from controls(child)


def dialog():
    desktop = Atspi.get_desktop(0)
    apps = [desktop.get_child_at_index(k) for k in range(desktop.get_child_count())]
    return next((app for app in apps if app is not None and app.get_name() == "lucenta-settings"), None)


def main():
    app = dialog()
    if app is None:
        return 1
    if sys.argv[1] == "focused":
        for control in controls(app):
            if control.get_state_set().contains(Atspi.StateType.FOCUSED):
                print(f"{control.get_role_name()}: {control.get_name()}")
        return 0
    role, name = sys.argv[2:4]
    for control in controls(app):
        if control.get_role_name() == role and control.get_name() == name:
            return 0 if Atspi.Component.grab_focus(control) else 1
    return 1


if __name__ == "__main__":
    sys.exit(main())
