#pragma once

#include <array>

#include "settings/SettingsDialog.h"

// The Linux dialog's template: the shared one with a row for the speed below the
// check box, and below the preview a row that starts the saver when the session is
// idle, last in the Tab order (the Windows dialog keeps the template as it is).
inline constexpr char kWindowName[] = "lucenta-settings";
inline constexpr int kIdGtkSpeed = 1006;
inline constexpr int kIdGtkIdle = 1007;
inline constexpr int kIdGtkIdleMinutes = 1008;
inline constexpr std::array<DialogControl, 7> kGtkTabOrder = {
    kSettingsControls[0],
    kSettingsControls[1],
    kSettingsControls[2],
    kSettingsControls[3],
    DialogControl{kIdGtkSpeed, "Speed", 7, 125, 116, 14},
    DialogControl{kIdGtkIdle, "Start after", 7, 147, 48, 10},
    DialogControl{kIdGtkIdleMinutes, "Minutes without input", 57, 145, 60, 14},
};
inline constexpr DialogControl kIdleMinutesLabel = {0, "minutes without input", 121, 148, 126, 8};
// Where the desktop's own blanking or lock comes first: what the dialog says of it.
inline constexpr DialogControl kIdleNote = {0, "", 7, 162, 240, 8};
