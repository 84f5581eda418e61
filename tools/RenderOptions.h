#pragma once

#include <optional>
#include <string>

#include "shell/RunOptions.h"

// lucenta-render's command line: its own --width W, --height H, --rows N and
// --out FILE.png, all needed, and the options of a run (RunOptions.h) but the
// speed, which a picture of N rows has none of.
struct RenderOptions {
    int width = 0;
    int height = 0;
    long long rows = 0;
    std::string out;
    SettingsOverrides overrides;
};

// std::nullopt, with one line in `error`, when a word is no option it takes, an
// option has a value it does not take, or one it needs is missing.
std::optional<RenderOptions> ParseRenderOptions(int argc, const char* const* argv, std::string& error);

// The usage line that a missing option brings.
std::string RenderUsage();
