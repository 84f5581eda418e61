#include "settings/SettingsOverrides.h"

#include <cctype>
#include <string>

#include "ringing/MethodLibrary.h"
#include "settings/NumberText.h"

namespace {

// The letters of a name in lower case, a space for each space or hyphen.
std::string Folded(std::string_view name) {
    std::string folded;
    for (const char c : name) {
        folded += c == '-' ? ' ' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded;
}

}  // namespace

bool SettingsOverrides::Empty() const {
    return !methodIndex && !showTreble && !background && !bottom && !top && !intensity;
}

void ApplyOverrides(CSettings& settings, const SettingsOverrides& overrides) {
    settings.WriteDefaults();
    if (overrides.Empty()) {
        return;
    }
    CRegistry& config = settings.Config();
    CRegistry& wavelength = settings.Wavelength();
    config.CloseKey();
    wavelength.CloseKey();
    const auto setInteger = [&config](const char16_t* name, std::optional<int> value) {
        if (value) {
            CSettings::SetInteger(config.GetEntry(name), *value);
        }
    };
    const auto setNumber = [&wavelength](const char16_t* name, std::optional<double> value) {
        if (value) {
            wavelength.GetEntry(name).SetNumber(*value);
        }
    };
    setInteger(kMethod, overrides.methodIndex);
    setInteger(kShowTreble, overrides.showTreble);
    setInteger(kBackground, overrides.background);
    setNumber(kBottom, overrides.bottom);
    setNumber(kTop, overrides.top);
    setNumber(kIntensity, overrides.intensity);
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
