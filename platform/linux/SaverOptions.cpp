#include "platform/linux/SaverOptions.h"

#include <string_view>

#include "settings/Speed.h"

std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error) {
    SaverOptions options;
    for (int k = 2; k < argc; ++k) {
        const std::string_view word = argv[k];
        if (word == "--x11") {
            options.forceX11 = true;
        } else if (word == "--speed") {
            options.speed = k + 1 < argc ? ParseSpeed(std::string_view(argv[++k])) : std::nullopt;
            if (!options.speed) {
                error = "--speed takes a number of rows per second, 0 or more (0: as fast as it draws)";
                return std::nullopt;
            }
        }
    }
    return options;
}
