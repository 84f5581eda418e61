#pragma once

#include <memory>

#include "settings/SettingsOverrides.h"
#include "shell/SaverLoop.h"

// The saver on X11: in the window that xscreensaver lends through
// XSCREENSAVER_WINDOW, or else a window of its own over every monitor, each with
// a picture of its own, following the monitors as they come, go and change.
// The pictures take the settings given for this run in place of the stored ones.
// nullptr when the X display cannot be opened.
std::unique_ptr<ISaverBackend> OpenX11Saver(const SettingsOverrides& settings);
