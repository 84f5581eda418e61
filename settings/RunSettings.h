#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/Settings.h"

// The settings that one run can be given on its command line (lucenta -s, lucenta
// --idle, lucenta-render), each declared once in kRunSettings: its option words,
// where it is stored, how a word is read and what the option takes, its default
// and its usage line. The parser, every program's --help, the overrides of a run
// and the first run's defaults all loop over the table; xscreensaver's panel and
// the manual pages, written by hand, are checked against it by a test.
struct RunSetting {
    const char* option;     // the word that sets it: "--method"
    const char* operand;    // what follows the word, for the usage ("N|NAME"); nullptr for a switch
    const char* offOption;  // a switch's word that clears it ("--no-treble"); nullptr for the others
    SettingsKey key;
    const char16_t* name;  // the stored value (Settings.h)
    bool integer;          // stored as "%d" text, else as "%f"
    // The value, as stored, that an option's word stands for; std::nullopt for a word
    // that is not one. A switch has none.
    std::optional<double> (*read)(std::string_view word);
    // What the option takes, said when a word is not one; "{methods}" stands for the
    // method numbers.
    const char* takes;
    double defaultValue;
    bool writtenAtFirstRun;  // the first run writes the default; else only a choice is stored
    // The usage line's words after the option; "{default}" stands for the default
    // (the first method's number for "Method"), "{methods}" for the methods.
    const char* usage;
};

// The table, in the order in which the first run writes the defaults.
extern const std::vector<RunSetting> kRunSettings;

// The setting of the stored value `name`.
const RunSetting& RunSettingOf(const char16_t* name);
// What the option takes; the usage's words ("--method N|NAME") and its text, in full.
std::string TakesText(const RunSetting& setting);
std::string UsageWords(const RunSetting& setting);
std::string UsageText(const RunSetting& setting);

// Settings given for one run (on a command line), as they would be stored: they
// stand in for the stored ones in memory and are never written.
struct SettingsOverrides {
    std::map<std::u16string, double> values;  // by the stored value's name

    std::optional<double> Of(const char16_t* name) const;
    bool Empty() const { return values.empty(); }
};

// Stores the first run's defaults where they are missing, then puts the overrides
// in place of the stored values, in memory only: with any override, the stores
// are unbound from their keys, and nothing of the run is written.
void ApplyOverrides(CSettings& settings, const SettingsOverrides& overrides);

// The method index (as "Method" holds it: the number less one) of the method that
// the text names: its number (MethodLibrary.h) or its name in any case, with a
// hyphen or a space between its words ("cambridge-surprise"). std::nullopt when it
// names no method.
std::optional<int> MethodIndexNamed(std::string_view text);
