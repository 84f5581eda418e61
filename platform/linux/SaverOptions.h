#pragma once

#include <optional>
#include <string>

#include "settings/SettingsOverrides.h"

// The Linux program's options for run mode, after the mode letter, each for this
// run only (nothing is stored):
//   --speed N                  rows per second (0: as fast as it draws)
//   --method N|NAME            the method: its index as "Method" holds it, or its name
//   --treble, --no-treble      the treble's path shown or not
//   --background black|white
//   --bottom NM, --top NM      the range of wavelengths (the bottom above 0)
//   --intensity X              the factor on the colours
//   --x11                      X11 even where a Wayland compositor is there (through Xwayland)
// Other words are ignored, as the Windows program ignores what follows its mode letter.
struct SaverOptions {
    std::optional<int> speed;
    SettingsOverrides settings;
    bool forceX11 = false;
};

// std::nullopt, with one line in `error` that names the option and the values it
// takes, when an option has no value or one it does not take.
std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error);

// The usage that --help prints: the modes and the options.
extern const char* const kSaverUsage;
