#pragma once

#include <memory>

#include "platform/posix/IdleConnection.h"

// The session's idle time from the Wayland compositor: ext-idle-notify-v1 where it
// offers it (version 1, whose notifications honour idle inhibitors), else KDE's
// org_kde_kwin_idle. nullptr when WAYLAND_DISPLAY names no compositor that
// answers, or one that offers neither.
std::unique_ptr<IIdleSource> OpenWaylandIdle();
