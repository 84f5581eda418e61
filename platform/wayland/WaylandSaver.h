#pragma once

#include <memory>

#include "settings/SettingsOverrides.h"
#include "shell/SaverLoop.h"

// The saver on Wayland: a screen on every output, as an overlay layer surface
// where the compositor offers wlr-layer-shell, else as a fullscreen toplevel.
// The pictures take the settings given for this run in place of the stored ones.
// nullptr when WAYLAND_DISPLAY names no compositor that can show it.
std::unique_ptr<ISaverBackend> OpenWaylandSaver(const SettingsOverrides& settings);
