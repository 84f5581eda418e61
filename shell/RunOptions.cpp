#include "shell/RunOptions.h"

#include "settings/NumberText.h"
#include "settings/Speed.h"

const char* const kRunOptionsUsage =
    "  --speed N                rows per second, 0 for as fast as it draws (60)\n"
    "  --method N|NAME          1 Plain Hunt ... 8 Stedman, 10 Cray Surprise, or the name, e.g. "
    "cambridge-surprise\n"
    "  --treble, --no-treble    the treble's path shown or not\n"
    "  --background black|white\n"
    "  --bottom NM, --top NM    the wavelengths at the left and right edges (440, 640)\n"
    "  --intensity X            the factor on the colours (1)\n";

namespace {

// An option's value taken into `setting`; false, with the line that says what
// the option takes, when `parsed` holds none.
template <typename Setting, typename Parsed>
bool Take(std::string_view option, Setting& setting, const Parsed& parsed, const char* takes,
          std::string& error) {
    setting = parsed;
    error = setting ? "" : std::string(option) + " takes " + takes;
    return setting.has_value();
}

std::optional<int> BackgroundNamed(std::string_view value) {
    return value == "white" ? 1 : value == "black" ? std::optional<int>(0) : std::nullopt;
}

// The shared options that take a value.
bool TakeValue(std::string_view option, std::string_view value, RunOptions& options, std::string& error) {
    SettingsOverrides& s = options.settings;
    if (option == "--speed") {
        return Take(option, options.speed, ParseSpeed(value),
                    "a whole number of rows per second, 0 or more (0: as fast as it draws)", error);
    }
    if (option == "--method") {
        return Take(option, s.methodIndex, MethodIndexNamed(value),
                    "a method number, 1 to 8 or 10, or a method's name, such as cambridge-surprise", error);
    }
    if (option == "--background") {
        return Take(
            option, s.background, BackgroundNamed(value),
            value == "0" || value == "1" ? "black or white (not 0 or 1, its old form)" : "black or white",
            error);
    }
    const std::optional<double> number = ParseWholeNumber(value);
    if (option == "--bottom") {
        return Take(option, s.bottom, number && *number > 0 ? number : std::nullopt,
                    "a wavelength in nanometres above 0, such as 440", error);
    }
    if (option == "--top") {
        return Take(option, s.top, number, "a wavelength in nanometres, such as 640", error);
    }
    return Take(option, s.intensity, number, "a number, such as 1.5", error);
}

bool TakesValue(std::string_view word) {
    return word == "--speed" || word == "--method" || word == "--background" || word == "--bottom" ||
           word == "--top" || word == "--intensity";
}

const ProgramOption* Find(const std::vector<ProgramOption>& own, std::string_view word) {
    for (const ProgramOption& option : own) {
        if (option.name == word) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

std::optional<RunOptions> ParseRunOptions(const std::vector<std::string_view>& words,
                                          const std::vector<ProgramOption>& own, UnknownWords unknown,
                                          std::string& error) {
    RunOptions options;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string_view word = words[k];
        const std::string_view next = k + 1 < words.size() ? words[k + 1] : std::string_view();
        const ProgramOption* mine = Find(own, word);
        if (word == "--treble" && (next == "0" || next == "1")) {
            error = "--treble takes no value: --treble shows the treble's path, --no-treble hides it";
            return std::nullopt;
        }
        if (word == "--treble" || word == "--no-treble") {
            options.settings.showTreble = word == "--treble" ? 1 : 0;
        } else if (TakesValue(word) || (mine != nullptr && mine->takesValue)) {
            k += k + 1 < words.size() ? 1 : 0;
            if (!(mine != nullptr ? mine->take(next, error) : TakeValue(word, next, options, error))) {
                return std::nullopt;
            }
        } else if (mine != nullptr) {
            mine->take({}, error);
        } else if (unknown == UnknownWords::Refused) {
            error = (word.rfind("-", 0) == 0 ? "unknown option '" : "unexpected word '") + std::string(word) +
                    "'";
            return std::nullopt;
        }
    }
    return options;
}

RunChoices ResolveRunChoices(const RunOptions& options, int unstoredSpeed) {
    CSettings settings;
    return {SaverSpeed(options.speed, settings, unstoredSpeed), options.settings};
}
