#pragma once

#include <memory>

#include "platform/posix/IdleConnection.h"
#include "platform/x11/X11Connection.h"

// The session's idle time from the X server: alarms on SYNC's IDLETIME counter,
// so that the server wakes the watcher rather than the watcher asking it. Players
// that call XResetScreenSaver reset it, as input does.
enum class X11IdleRefusal {  // why the idle time cannot be had
    NoIdleTime,              // the server has no IDLETIME counter
    XscreensaverRuns,        // xscreensaver watches this display: two savers would fight
};

// The idle time on the display of `connection`; nullptr, with the reason in
// `refusal`, when it cannot be had.
std::unique_ptr<IIdleSource> OpenX11Idle(std::unique_ptr<CX11Connection> connection, X11IdleRefusal& refusal);
