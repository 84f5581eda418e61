#pragma once

#include "settings/Registry.h"

// Key paths under HKEY_CURRENT_USER and the value names of the user's settings.
inline constexpr char16_t kConfigKeyPath[] = u"Software\\Tovarin\\LucentaScr\\Config";
inline constexpr char16_t kWavelengthKeyPath[] = u"Software\\Tovarin\\LucentaScr\\Wavelength";

inline constexpr char16_t kBackground[] = u"Background";   // Config: nonzero = white background
inline constexpr char16_t kMethod[] = u"Method";           // Config: method number - 1
inline constexpr char16_t kShowTreble[] = u"Show Treble";  // Config: nonzero = treble drawn black
inline constexpr char16_t kSpeed[] = u"Speed";             // Config: rows per second (settings/Speed.h)
inline constexpr char16_t kBottom[] = u"Bottom";           // Wavelength: nm of the first column
inline constexpr char16_t kTop[] = u"Top";                 // Wavelength: end of the range, nm
inline constexpr char16_t kIntensity[] = u"Intensity";     // Wavelength: factor on the colours

// The defaults of the settings, and which of them the first run writes, are in
// the table of a run's settings (RunSettings.h).
enum class SettingsKey { Config, Wavelength };

// The user's two settings keys, each loaded once when constructed; every
// assignment is written to the key at once. Two CSettings never see each other's
// later changes.
class CSettings {
  public:
    CSettings();
    CSettings(const CSettings&) = delete;
    CSettings& operator=(const CSettings&) = delete;

    CRegistry& Config() { return m_config; }
    CRegistry& Wavelength() { return m_wavelength; }
    CRegistry& Store(SettingsKey key) { return key == SettingsKey::Config ? m_config : m_wavelength; }

    // The first-run rule, applied before the picture reads its settings. When
    // "Bottom" has no value at all, each of the six settings that has no value yet
    // gets its default (so choices saved before the first run survive); when
    // "Bottom" holds 0 or less, all six are reset to their defaults.
    void WriteDefaults();

    // A number of the Wavelength key as the picture takes it: a value that is no
    // finite number ("nan", "inf") as its default, text that is no number at all as
    // 0 (as the store reads it); either is told in a warning that names it. Nothing
    // is written.
    double PictureNumber(const char16_t* name);

    // Writes the integer as "%d" text.
    static void SetInteger(CRegEntry& entry, int value);

  private:
    // Destroyed in reverse order: the Wavelength store first.
    CRegistry m_config{CRegistry::modeCreate};
    CRegistry m_wavelength{CRegistry::modeCreate};
};
