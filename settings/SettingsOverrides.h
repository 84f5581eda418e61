#pragma once

#include <optional>
#include <string_view>

#include "settings/Settings.h"

// Settings given for one run (on a command line): they stand in for the stored
// ones in memory and are never written.
struct SettingsOverrides {
    std::optional<int> methodIndex;  // as "Method" holds it: the method's number less one
    std::optional<int> showTreble;
    std::optional<int> background;
    std::optional<double> bottom;  // positive: a bottom of 0 or less would reset every setting
    std::optional<double> top;
    std::optional<double> intensity;

    bool Empty() const;
};

// Stores the first run's defaults where they are missing, then puts the overrides
// in place of the stored values, in memory only: with any override, the stores
// are unbound from their keys, and nothing of the run is written.
void ApplyOverrides(CSettings& settings, const SettingsOverrides& overrides);

// The method index (as "Method" holds it: the number less one) of the method that
// the text names: its number (1 to 8, 10) or its name in any case, with a hyphen or
// a space between its words ("cambridge-surprise"). std::nullopt when it names no
// method.
std::optional<int> MethodIndexNamed(std::string_view text);
