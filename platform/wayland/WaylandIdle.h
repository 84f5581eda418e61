#pragma once

#include <memory>

#include "platform/posix/IdleConnection.h"
#include "platform/wayland/WaylandConnection.h"

// The session's idle time from the Wayland compositor: ext-idle-notify-v1 where it
// offers it (version 1, whose notifications honour idle inhibitors), else KDE's
// org_kde_kwin_idle. nullptr when the compositor offers neither.
std::unique_ptr<IIdleSource> OpenWaylandIdle(WaylandDisplay display);
