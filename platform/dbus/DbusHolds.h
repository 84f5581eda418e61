#pragma once

#include <memory>

#include "platform/posix/IdleConnection.h"

// What holds idleness off and whether the session is locked, as the message buses
// tell it, for the idle watcher:
// - the session bus: gnome-session's inhibitors of idleness (InhibitedActions,
//   flag 8), PowerDevil's inhibitions of the screen (HasInhibition(4)), and
//   org.freedesktop.ScreenSaver: served here where no other program serves it
//   (CScreenSaverService), and where one does, its ActiveChanged, like GNOME's
//   org.gnome.ScreenSaver's, tells the lock;
// - the system bus: logind's BlockInhibited (holding "idle"), and this session's
//   LockedHint and Lock.
// Each is nullptr when its bus cannot be reached; a service that is not there
// holds nothing. A bus that goes away while the watcher runs lets go of all it held.
std::unique_ptr<IIdleConnection> WatchSessionBusHolds();
std::unique_ptr<IIdleConnection> WatchSystemBusHolds();
