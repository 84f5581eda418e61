#include "settings/RunSettings.h"

#include <cctype>
#include <charconv>
#include <string>

#include "ringing/MethodLibrary.h"
#include "settings/NumberText.h"
#include "settings/Speed.h"

namespace {

std::optional<double> Wavelength(std::string_view word) {
    return ParseWholeNumber(word);
}

std::optional<double> AboveZero(std::string_view word) {
    const std::optional<double> number = ParseWholeNumber(word);
    return number && *number > 0 ? number : std::nullopt;
}

std::optional<double> Colour(std::string_view word) {
    return word == "white" ? 1 : word == "black" ? std::optional<double>(0) : std::nullopt;
}

std::optional<double> Method(std::string_view word) {
    const std::optional<int> index = MethodIndexNamed(word);
    return index ? std::optional<double>(*index) : std::nullopt;
}

std::optional<double> RowsPerSecond(std::string_view word) {
    const std::optional<int> speed = ParseSpeed(word);
    return speed ? std::optional<double>(*speed) : std::nullopt;
}

using Key = SettingsKey;

// The letters of a name in lower case, a space for each space or hyphen.
std::string Folded(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        folded += c == '-' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

// The shortest text that reads as the number again: "440", "1.5".
std::string NumberWord(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string Expanded(std::string text, std::string_view name, const std::string& value) {
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size())) {
        text.replace(at, name.size(), value);
    }
    return text;
}

}  // namespace

const std::vector<RunSetting> kRunSettings = {
    {"--bottom", "NM", nullptr, Key::Wavelength, kBottom, false, AboveZero,
     "a wavelength in nanometres above 0, such as 440", 440, true,
     "the wavelength at the left edge ({default})"},
    {"--top", "NM", nullptr, Key::Wavelength, kTop, false, Wavelength,
     "a wavelength in nanometres, such as 640", 640, true, "the wavelength at the right edge ({default})"},
    {"--intensity", "X", nullptr, Key::Wavelength, kIntensity, false, Wavelength, "a number, such as 1.5", 1,
     true, "the factor on the colours ({default})"},
    {"--background", "black|white", nullptr, Key::Config, kBackground, true, Colour,
     "black or white (not 0 or 1, its old form)", 0, true, "the background's colour"},
    {"--method", "N|NAME", nullptr, Key::Config, kMethod, true, Method,
     "a method number, {numbers}, or a method's name, such as cambridge-surprise", 0, true,
     "the method by its number or name: {methods}"},
    {"--treble", nullptr, "--no-treble", Key::Config, kShowTreble, true, nullptr,
     "no value: --treble shows the treble's path, --no-treble hides it", 1, true,
     "the treble's path shown or not"},
    {"--speed", "N", nullptr, Key::Config, kSpeed, true, RowsPerSecond,
     "a whole number of rows per second, 0 or more (0: as fast as it draws)", kPacedDefaultSpeed, false,
     "rows per second, 0 for as fast as it draws ({default})"},
};

const RunSetting& RunSettingOf(const char16_t* name) {
    for (const RunSetting& setting : kRunSettings) {
        if (std::u16string_view(setting.name) == name) {
            return setting;
        }
    }
    return kRunSettings[0];  // every stored value of a run is in the table
}

std::string TakesText(const RunSetting& setting) {
    return Expanded(setting.takes, "{numbers}", MethodNumbersText());
}

std::string UsageWords(const RunSetting& setting) {
    return std::string(setting.option) + (setting.operand ? std::string(" ") + setting.operand : "") +
           (setting.offOption ? std::string(", ") + setting.offOption : "");
}

std::string UsageText(const RunSetting& setting) {
    return Expanded(Expanded(setting.usage, "{default}", NumberWord(setting.defaultValue)), "{methods}",
                    MethodListText());
}

std::optional<double> SettingsOverrides::Of(const char16_t* name) const {
    const auto found = values.find(name);
    return found != values.end() ? std::optional<double>(found->second) : std::nullopt;
}

void ApplyOverrides(CSettings& settings, const SettingsOverrides& overrides) {
    settings.WriteDefaults();
    if (overrides.Empty()) {
        return;
    }
    settings.Config().CloseKey();
    settings.Wavelength().CloseKey();
    for (const auto& [name, value] : overrides.values) {
        const RunSetting& setting = RunSettingOf(name.c_str());
        CRegEntry& entry = settings.Store(setting.key).GetEntry(name.c_str());
        if (setting.integer) {
            CSettings::SetInteger(entry, static_cast<int>(value));
        } else {
            entry.SetNumber(value);
        }
    }
}

std::optional<int> MethodIndexNamed(std::string_view text) {
    if (const std::optional<long long> number = ParseWholeInteger(text, 1, kHighestMethodNumber)) {
        return FindMethod(static_cast<int>(*number)) != nullptr ? std::optional<int>(*number - 1)
                                                                : std::nullopt;
    }
    for (int number = 1; number <= kHighestMethodNumber; ++number) {
        if (const MethodInfo* method = FindMethod(number); method && Folded(method->name) == Folded(text)) {
            return number - 1;
        }
    }
    return std::nullopt;
}
