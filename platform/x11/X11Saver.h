#pragma once

#include <memory>

#include "shell/SaverLoop.h"

// The saver on X11: in the window that xscreensaver lends through
// XSCREENSAVER_WINDOW, or else a window of its own over every monitor, each with
// a picture of its own, following the monitors as they come, go and change.
// nullptr when the X display cannot be opened.
std::unique_ptr<ISaverBackend> OpenX11Saver();
