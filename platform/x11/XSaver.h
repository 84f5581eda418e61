#pragma once

#include <optional>

// Run mode on X11: in the window that xscreensaver lends through
// XSCREENSAVER_WINDOW, or else full screen with a window over every monitor,
// each with a picture of its own. The speed is the stored one unless `speed` is
// given. Returns the exit status, or std::nullopt when the X display cannot be
// opened.
std::optional<int> RunX11Saver(std::optional<int> speed);
