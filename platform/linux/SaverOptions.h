#pragma once

#include <optional>
#include <string>

// The Linux program's options for run mode, after the mode letter:
//   --speed N   rows per second for this run (0: as fast as it draws)
//   --x11       X11 even where a Wayland compositor is there (through Xwayland)
// Other words are ignored, as the Windows program ignores what follows its mode letter.
struct SaverOptions {
    std::optional<int> speed;
    bool forceX11 = false;
};

// std::nullopt, with the reason in `error`, when --speed has no value or one that
// is not a whole number of 0 or more; a larger number than any display can show
// is taken as the fastest speed.
std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error);
