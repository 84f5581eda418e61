#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// lucenta --idle MINUTES [saver options], or --idle off: the idle watcher.
struct IdleOptions {
    bool off = false;  // end the session's watcher, start none
    std::chrono::milliseconds timeout{0};
    std::vector<std::string> saverWords;  // the saver options, as given, for every saver it starts
};

// std::nullopt, with one line in `error`, for a bad MINUTES or saver option, or a
// word that is neither. MINUTES as IdleMinutes.h says.
std::optional<IdleOptions> ParseIdleOptions(int argc, const char* const* argv, std::string& error);

// Runs the watcher (or ends the session's, with --idle off); the exit status.
int RunIdleMode(const IdleOptions& options);
