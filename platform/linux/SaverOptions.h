#pragma once

#include <optional>
#include <string>

#include "shell/RunOptions.h"

// The options of lucenta's run mode, after the mode letter: the options of a run
// (RunOptions.h) and its own --x11, which draws on X11 even where a Wayland
// compositor is there (through Xwayland). Other words are ignored, as the Windows
// program ignores what follows its mode letter.
struct SaverOptions {
    SettingsOverrides run;
    bool forceX11 = false;
};

// std::nullopt, with one line in `error` that names the option and the values it
// takes, when an option has no value or one it does not take.
std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error);

// The usage that --help prints: the modes and the options.
extern const char* const kSaverUsage;
