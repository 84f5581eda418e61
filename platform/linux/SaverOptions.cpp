#include "platform/linux/SaverOptions.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "settings/Speed.h"

const char* const kSaverUsage =
    "usage: lucenta [-s [options] | -c | -i]\n"
    "  -s        run the saver on every monitor (Wayland, else X11)\n"
    "  -c        the settings dialog (also with no arguments)\n"
    "  -i        add the saver to xscreensaver's list (~/.xscreensaver)\n"
    "options of -s, for that run only:\n"
    "  --speed N                rows per second, 0 for as fast as it draws (60)\n"
    "  --method N|NAME          0 Plain Hunt ... 9 Cray Surprise, or the name, e.g. cambridge-surprise\n"
    "  --treble, --no-treble    the treble's path shown or not\n"
    "  --background black|white\n"
    "  --bottom NM, --top NM    the wavelengths at the left and right edges (440, 640)\n"
    "  --intensity X            the factor on the colours (1)\n"
    "  --x11                    X11 even on Wayland\n"
    "  --help, --version\n";

namespace {

std::optional<double> ParseDecimal(std::string_view text) {
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Takes the value of an option; false, with the line that says what it takes, when it is not one.
bool TakeValue(std::string_view option, std::string_view value, SaverOptions& options, std::string& error) {
    const auto take = [&](auto& setting, auto parsed, const char* takes) {
        setting = parsed;
        error = setting ? "" : std::string(option) + " takes " + takes;
        return setting.has_value();
    };
    if (option == "--speed") {
        return take(options.speed, ParseSpeed(value),
                    "a whole number of rows per second, 0 or more (0: as fast as it draws)");
    }
    if (option == "--method") {
        return take(options.settings.methodIndex, ParseMethodIndex(value),
                    "0 to 7 or 9 (as \"Method\" holds it) or a method's name, such as cambridge-surprise");
    }
    if (option == "--background") {
        const std::optional<int> white = value == "white"   ? 1
                                         : value == "black" ? std::optional<int>(0)
                                                            : std::nullopt;
        return take(options.settings.background, white, "black or white");
    }
    const std::optional<double> number = ParseDecimal(value);
    if (option == "--bottom") {
        return take(options.settings.bottom, number && *number > 0 ? number : std::nullopt,
                    "a wavelength in nanometres above 0, such as 440");
    }
    return take(option == "--top" ? options.settings.top : options.settings.intensity, number,
                option == "--top" ? "a wavelength in nanometres, such as 640" : "a number, such as 1.5");
}

bool TakesValue(std::string_view word) {
    return word == "--speed" || word == "--method" || word == "--background" || word == "--bottom" ||
           word == "--top" || word == "--intensity";
}

}  // namespace

std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error) {
    SaverOptions options;
    for (int k = 2; k < argc; ++k) {
        const std::string_view word = argv[k];
        if (word == "--x11") {
            options.forceX11 = true;
        } else if (word == "--treble" || word == "--no-treble") {
            options.settings.showTreble = word == "--treble" ? 1 : 0;
        } else if (TakesValue(word) && !TakeValue(word, k + 1 < argc ? argv[++k] : "", options, error)) {
            return std::nullopt;
        }
    }
    return options;
}
