#pragma once

#include <wayland-client.h>

#include <memory>

#include "shell/FramePacing.h"

// A connection to a Wayland compositor, ended when its owner goes.
struct WaylandDisconnect {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};
using WaylandDisplay = std::unique_ptr<wl_display, WaylandDisconnect>;

// Reads what the compositor sent, waiting for it until `deadline` when one is
// given (else not at all), and dispatches it to the listeners. False, with a line
// on stderr, when the connection is lost.
bool ReadWaylandEvents(wl_display* display, const PaceTime* deadline);
