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
    const auto assign = [fillMissingOnly](CRegEntry& entry, auto write) {
        if (!fillMissingOnly || !entry.HasValue()) {
            write(entry);
        }
    };
    assign(bottom, [](CRegEntry& e) { e.SetNumber(440); });
    assign(m_wavelength.GetEntry(kTop), [](CRegEntry& e) { e.SetNumber(640); });
    assign(m_wavelength.GetEntry(kIntensity), [](CRegEntry& e) { e.SetNumber(1); });
    assign(m_config.GetEntry(kBackground), [](CRegEntry& e) { SetInteger(e, 0); });
    assign(m_config.GetEntry(kMethod), [](CRegEntry& e) { SetInteger(e, 0); });
    assign(m_config.GetEntry(kShowTreble), [](CRegEntry& e) { SetInteger(e, 1); });
}
