#pragma once

#include <poll.h>

#include <vector>

#include "shell/IdleWatcher.h"

// A connection that the idle watcher sleeps on (a display, a message bus) and
// what it tells. The watcher polls every connection's descriptor together, with
// no timeout, and pumps them when one wakes it.
class IIdleConnection {
  public:
    virtual ~IIdleConnection() = default;
    // The descriptor and the events to wait for, once what waits to be sent is sent.
    virtual pollfd WaitFor() = 0;
    // Handles what arrived, without waiting; what it tells goes to `events`. False when
    // the connection is lost (a line on stderr says so).
    virtual bool Pump(std::vector<IdleEvent>& events) = 0;
};

// The session's idle time on a connection of its own.
class IIdleSource : public IIdleConnection, public IIdleTimer {};
