#include "platform/linux/SaverOptions.h"

#include <algorithm>
#include <string_view>

#include "settings/Speed.h"

namespace {

std::optional<int> ParseSpeed(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    long long value = 0;
    for (const char digit : text) {
        value = std::min(value * 10 + (digit - '0'), static_cast<long long>(kMaxSpeed) + 1);
    }
    return ClampSpeed(value);
}

}  // namespace

std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error) {
    SaverOptions options;
    for (int k = 2; k < argc; ++k) {
        const std::string_view word = argv[k];
        if (word == "--x11") {
            options.forceX11 = true;
        } else if (word == "--speed") {
            options.speed = k + 1 < argc ? ParseSpeed(argv[++k]) : std::nullopt;
            if (!options.speed) {
                error = "--speed takes a number of rows per second, 0 or more (0: as fast as it draws)";
                return std::nullopt;
            }
        }
    }
    return options;
}
