#pragma once

#include <wayland-client.h>

#include "shell/FramePacing.h"

// Whether WAYLAND_DISPLAY names a compositor that can be found (a name, with the
// XDG_RUNTIME_DIR it lies in, or a path); without one, libwayland would say so itself.
bool WaylandDisplayNamed();

// Reads what the compositor sent, waiting for it until `deadline` when one is
// given (else not at all), and dispatches it to the listeners. False, with a line
// on stderr, when the connection is lost.
bool ReadWaylandEvents(wl_display* display, const PaceTime* deadline);
