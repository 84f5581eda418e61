#include "settings/Settings.h"

#include "settings/NumberText.h"

CSettings::CSettings() {
    constexpr std::uint32_t access = RegAccess::QueryValue | RegAccess::SetValue;
    m_config.OpenKey(kConfigKeyPath, RegRoot::CurrentUser, access);
    m_wavelength.OpenKey(kWavelengthKeyPath, RegRoot::CurrentUser, access);
}

void CSettings::SetInteger(CRegEntry& entry, int value) {
    entry.SetString(FormatInteger(value));
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
    write(m_wavelength, kBottom, FormatFixed(440));
    write(m_wavelength, kTop, FormatFixed(640));
    write(m_wavelength, kIntensity, FormatFixed(1));
    write(m_config, kBackground, FormatInteger(0));
    write(m_config, kMethod, FormatInteger(0));
    write(m_config, kShowTreble, FormatInteger(1));
}
