#pragma once

#include <optional>

// Run mode on Wayland: a picture on every output, as an overlay layer surface
// where the compositor offers wlr-layer-shell, else as a fullscreen toplevel.
// The speed is the stored one unless `speed` is given. Returns the exit status,
// or std::nullopt when WAYLAND_DISPLAY names no compositor that can show it.
std::optional<int> RunWaylandSaver(std::optional<int> speed);
