#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "resources/resource.h"
#include "settings/Settings.h"

// The dialog's template: a caption, a size and four controls, in dialog units
// (a quarter of the dialog font's average character width across, an eighth of
// its height down). Each platform lays the dialog out from it.
struct DialogControl {
    int id;
    const char* text;
    int x, y, cx, cy;
};
inline constexpr char kSettingsCaption[] = "Settings";
inline constexpr int kSettingsWidth = 131;
inline constexpr int kSettingsHeight = 120;
inline constexpr int kSettingsFontPoints = 8;
inline constexpr int kIdOk = 1;      // IDOK
inline constexpr int kIdCancel = 2;  // IDCANCEL
// In template order, which is also the Tab order.
inline constexpr DialogControl kSettingsControls[] = {
    {kIdOk, "OK", 7, 83, 55, 14},
    {kIdCancel, "Cancel", 71, 83, 53, 14},
    {IDC_METHOD_LIST, "", 7, 7, 116, 72},
    {IDC_SHOW_TREBLE, "Show Treble", 7, 101, 58, 10},
};

// Dialog units to pixels as Windows converts them (MulDiv, rounding halves away
// from zero), from the dialog font's average character width and height in pixels.
int DialogUnitsToPixelsX(int units, int averageCharWidth);
int DialogUnitsToPixelsY(int units, int charHeight);
// Windows' average character width of a font, from the width in pixels of the
// 52 letters "A".."Z", "a".."z" set in it: (width / 26 + 1) / 2.
int AverageCharWidth(int widthOfTheLetters);
inline constexpr char kAverageWidthLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The dialog offers methods 1 to 8 of the library, in list order: position i is
// method number i + 1, named as the library names it.
constexpr int kMethodListCount = 8;
const char* MethodListName(int index);

// What the settings dialog holds apart from its controls: the method index (the
// list position, also the stored "Method"), the show-treble flag and the settings,
// read once when constructed.
class CSettingsDialogState {
  public:
    // "Method" and "Show Treble" as stored (0 when there is no value).
    void Load();
    // Writes "Method" and "Show Treble" as "%d" text, each at once, and "Speed"
    // too when a dialog that offers it has set m_nSpeed. False when they could not
    // all be stored: `message` then says why, for the dialog to show.
    bool Save(std::string& message);
    // "Speed" as stored; std::nullopt when it has none that counts.
    std::optional<int> StoredSpeed();

    // The check box takes the flag as it is when it lies in 0..2, else 0.
    static int CheckBoxState(int flag) { return flag >= 0 && flag <= 2 ? flag : 0; }

    int m_nMethodIndex = 0;
    int m_nShowTreble = 0;
    std::optional<int> m_nSpeed;
    CSettings m_settings;
};

// The export's file chooser: a save dialog offering the one filter "Text files"
// ("*.txt"), starting with an empty name, requiring an existing folder, adding
// ".txt" to a name typed without an extension and asking before it overwrites an
// existing file. Each platform provides one.
class IFileChooser {
  public:
    virtual ~IFileChooser() = default;
    // The path to write, or std::nullopt when the user cancels.
    virtual std::optional<std::filesystem::path> AskSavePath() = 0;
};
inline constexpr char kExportFilterName[] = "Text files";
inline constexpr char kExportFilterPattern[] = "*.txt";
inline constexpr char kExportDefaultExtension[] = "txt";

// The name with ".txt" added when its file name has no extension.
std::filesystem::path WithDefaultExtension(const std::filesystem::path& name);

enum class ExportResult { NoMethod, Cancelled, Written, NotWritten };

// The dialog's export command for the method index: a method index that names no
// method asks for no file (the dialog beeps); otherwise the chooser asks for one
// and the lead's text is written there. The dialog's state is left as it was.
// NotWritten comes with `message`, which says what could not be written and why,
// for the dialog to show (its long words broken into lines).
ExportResult ExportNotation(int nMethodIndex, IFileChooser& chooser, std::string& message);

// Whether method number nMethodIndex + 1 names a method whose notation can be exported.
bool NamesMethod(int nMethodIndex);

// Writes one lead of method number nMethodIndex + 1 at 12 bells as one line of
// place notation, without a line end: the file holds the whole line or is left as
// it was. A method index that names no method creates no file; false then, or
// (with the reason) when the file cannot be written.
bool ExportMethodText(int nMethodIndex, const std::filesystem::path& path, std::string& reason);

// The caption of the message boxes the dialog shows when a save or an export fails.
inline constexpr char kFailureCaption[] = "Lucenta";
// The longest line of a message, in characters: a box that shows it fits a small screen.
inline constexpr std::size_t kMessageWidth = 60;

// The UTF-8 text with each word longer than `width` characters (a long path) broken
// into lines of at most that many, after a folder separator where one falls in the
// line, so that a message box need not grow wider than the screen to show it.
std::string BreakLongWords(std::string_view text, std::size_t width);
