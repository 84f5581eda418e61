#pragma once

#include <array>

#include "settings/SettingsDialog.h"

// The Linux dialog's template: the shared one with a row for the speed below the
// check box, last in the Tab order (the Windows dialog keeps the template as it is).
inline constexpr char kWindowName[] = "lucenta-settings";
inline constexpr int kIdGtkSpeed = 1006;
inline constexpr std::array<DialogControl, 5> kGtkTabOrder = {
    kSettingsControls[0],
    kSettingsControls[1],
    kSettingsControls[2],
    kSettingsControls[3],
    DialogControl{kIdGtkSpeed, "Speed", 7, 125, 116, 14},
};
