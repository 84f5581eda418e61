#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

#include "shell/SaverEvent.h"

// The X11 saver's events in the judge's words (the backend's Pump is in
// X11Events.cpp too), and the decisions they take, apart so that tests reach them.

// The window that XSCREENSAVER_WINDOW names: "0x..." as xscreensaver passes it,
// or decimal; std::nullopt for anything else, 0, or more than 32 bits.
std::optional<Window> ParseWindowId(const std::string& text);

// Whether a FocusOut (its mode and detail) is the focus going to another window:
// one that a grab causes or that happens while one is held, or one that stays
// inside the window or goes to the pointer's root, is not.
bool LosesFocus(int mode, int detail);

// The input event (a key, a button, a move in root coordinates, the focus lost)
// in the judge's words; std::nullopt for any other event and for a FocusOut that
// loses no focus. `keyboardHeld`: the saver holds the keyboard all the same.
std::optional<SaverEvent> InputEventOf(const XEvent& event, bool keyboardHeld);
