#pragma once

#include <memory>

#include "platform/posix/IdleConnection.h"

// The session's idle time from GNOME's idle monitor (org.gnome.Mutter.IdleMonitor
// on the session bus), GNOME's on Wayland and on X11 alike. Its watches do not
// fire while gnome-session holds an idle inhibitor. nullptr when the session bus
// has no such monitor.
std::unique_ptr<IIdleSource> OpenDbusIdle();
