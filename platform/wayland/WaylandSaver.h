#pragma once

#include <memory>

#include "shell/SaverLoop.h"

// The saver on Wayland: a screen on every output, as an overlay layer surface
// where the compositor offers wlr-layer-shell, else as a fullscreen toplevel.
// nullptr when WAYLAND_DISPLAY names no compositor that can show it.
std::unique_ptr<ISaverBackend> OpenWaylandSaver();
