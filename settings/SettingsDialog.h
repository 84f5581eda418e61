#pragma once

#include <filesystem>

#include "resources/resource.h"
#include "settings/Settings.h"

// The methods the dialog offers, in list order: position i is method number i + 1.
inline constexpr const char* kMethodListNames[] = {
    "Plain Hunt", "Plain Bob",       "Double Oxford Bob",  "Treble Bob Hunt",
    "Little Bob", "Kent Treble Bob", "Cambridge Surprise", "Stedman",
};
constexpr int kMethodListCount = sizeof kMethodListNames / sizeof kMethodListNames[0];

// What the settings dialog holds apart from its controls: the method index (the
// list position, also the stored "Method"), the show-treble flag and the settings,
// read once when constructed.
class CSettingsDialogState {
  public:
    // "Method" and "Show Treble" as stored (0 when there is no value).
    void Load();
    // Writes "Method" and "Show Treble" as "%d" text, each at once.
    void Save();

    // The check box takes the flag as it is when it lies in 0..2, else 0.
    static int CheckBoxState(int flag) { return flag >= 0 && flag <= 2 ? flag : 0; }

    int m_nMethodIndex = 0;
    int m_nShowTreble = 0;
    CSettings m_settings;
};

// Whether method number nMethodIndex + 1 names a method whose notation can be exported.
bool NamesMethod(int nMethodIndex);

// Writes one lead of method number nMethodIndex + 1 at 12 bells as one line of
// place notation, without a line end. A method index that names no method
// creates no file; false then, or when the file cannot be created.
bool ExportMethodText(int nMethodIndex, const std::filesystem::path& path);
