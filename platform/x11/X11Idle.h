#pragma once

#include <memory>

#include "platform/posix/IdleConnection.h"

// The session's idle time from the X server: alarms on SYNC's IDLETIME counter,
// so that the server wakes the watcher rather than the watcher asking it. Players
// that call XResetScreenSaver reset it, as input does.
enum class X11IdleRefusal {  // why the idle time cannot be had, if it cannot
    Opened,
    NoDisplay,         // the X display cannot be opened
    NoIdleTime,        // the server has no IDLETIME counter
    XscreensaverRuns,  // xscreensaver watches this display: two savers would fight
};

// nullptr, with the reason, when the idle time cannot be had from the X display.
std::unique_ptr<IIdleSource> OpenX11Idle(X11IdleRefusal& refusal);
