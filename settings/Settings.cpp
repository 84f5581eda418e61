#include "settings/Settings.h"

#include <cmath>

#include "settings/NumberText.h"
#include "settings/RunSettings.h"
#include "settings/SettingsWarning.h"

namespace {

std::string Ascii(std::u16string_view text) {
    std::string ascii;
    for (const char16_t c : text) {
        ascii += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return ascii;
}

}  // namespace

CSettings::CSettings() {
    constexpr std::uint32_t access = RegAccess::QueryValue | RegAccess::SetValue;
    m_config.OpenKey(kConfigKeyPath, RegRoot::CurrentUser, access);
    m_wavelength.OpenKey(kWavelengthKeyPath, RegRoot::CurrentUser, access);
}

void CSettings::SetInteger(CRegEntry& entry, int value) {
    entry.SetString(FormatInteger(value));
}

double CSettings::PictureNumber(const char16_t* name) {
    const double defaultValue = RunSettingOf(name).defaultValue;
    CRegEntry& entry = m_wavelength.GetEntry(name);
    const bool text = entry.GetType() == RegType::Sz || entry.GetType() == RegType::Binary;
    bool converted = !text;
    const double value = text ? ParseLeadingNumber(entry.GetString(), &converted) : entry.GetNumber();
    const std::string said = "\"" + Ascii(name) + "\" is \"" + Ascii(entry.GetString()) + "\", which is no ";
    if (!std::isfinite(value)) {
        WarnAboutSettings(said + "finite number: the picture uses " + Ascii(FormatFixed(defaultValue)));
        return defaultValue;
    }
    if (!converted) {
        WarnAboutSettings(said + "number: the picture takes it as 0");
    }
    return value;
}

void CSettings::WriteDefaults() {
    CRegEntry& bottom = m_wavelength.GetEntry(kBottom);
    const bool fillMissingOnly = !bottom.HasValue();
    if (!fillMissingOnly && !(bottom.GetNumber() <= 0)) {
        return;  // a positive "Bottom" (or one that is not a number) writes nothing
    }
    // Filling in, a value is written only where the key still has none when it is
    // written: a choice that another program stored since these keys were read stays.
    const auto write = [fillMissingOnly](CRegistry& store, const char16_t* name, const std::u16string& text) {
        if (fillMissingOnly) {
            store.SetDefault(name, text);
        } else {
            store.GetEntry(name).SetString(text);
        }
    };
    for (const RunSetting& setting : kRunSettings) {
        if (setting.writtenAtFirstRun) {
            write(Store(setting.key), setting.name,
                  setting.integer ? FormatInteger(static_cast<long long>(setting.defaultValue))
                                  : FormatFixed(setting.defaultValue));
        }
    }
}
