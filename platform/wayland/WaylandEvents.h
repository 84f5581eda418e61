#pragma once

#include <vector>

#include "platform/wayland/WaylandScreen.h"
#include "shell/SaverEvent.h"

// The Wayland saver's events in the judge's words: the seat's input, and what the
// screens' states mean (the backend's Pump is in WaylandEvents.cpp too).

// A screen that cannot be set up ends the run with a failure, and a fullscreen
// window that the user asks to close ends it; a layer surface that the compositor
// takes away is let go (its output may be going), and the run ends when no screen
// is left showing.
void TellScreenStates(const std::vector<WaylandScreenState>& states, std::vector<SaverEvent>& events);
