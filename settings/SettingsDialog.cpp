#include "settings/SettingsDialog.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "colour/TextFile.h"
#include "ringing/LeadText.h"
#include "ringing/MethodLibrary.h"
#include "ringing/PlaceNotation.h"
#include "settings/Speed.h"

const char* MethodListName(int index) {
    return FindMethod(index + 1)->name;
}

void CSettingsDialogState::Load() {
    m_nMethodIndex = m_settings.Config().GetEntry(kMethod).GetInteger();
    m_nShowTreble = m_settings.Config().GetEntry(kShowTreble).GetInteger();
}

bool CSettingsDialogState::Save(std::string& message) {
    CRegistry& config = m_settings.Config();
    config.ClearWriteFailure();
    CSettings::SetInteger(config.GetEntry(kMethod), m_nMethodIndex);
    CSettings::SetInteger(config.GetEntry(kShowTreble), m_nShowTreble);
    if (m_nSpeed) {
        CSettings::SetInteger(config.GetEntry(kSpeed), *m_nSpeed);
    }
    if (config.WriteFailure().empty()) {
        return true;
    }
    message = BreakLongWords("The settings could not be stored.\n\n" + config.WriteFailure(), kMessageWidth);
    return false;
}

std::optional<int> CSettingsDialogState::StoredSpeed() {
    return ::StoredSpeed(m_settings.Config().GetEntry(kSpeed));
}

bool NamesMethod(int nMethodIndex) {
    return nMethodIndex < std::numeric_limits<int>::max() && FindMethod(nMethodIndex + 1) != nullptr;
}

bool ExportMethodText(int nMethodIndex, const std::filesystem::path& path, std::string& reason) {
    if (!NamesMethod(nMethodIndex)) {
        reason = "no method to export";
        return false;
    }
    const CPlaceNotation notation(12, nMethodIndex + 1);
    return SaveTextFile(path, LeadText(notation), reason);
}

namespace {

// MulDiv: value * numerator / denominator, rounded half away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

namespace {

bool StartsCharacter(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The end of the first line of a long word: `width` characters on, or just after
// the last folder separator before that.
std::size_t LineEnd(std::string_view word, std::size_t width) {
    std::size_t end = 0;
    std::size_t afterSeparator = 0;
    for (std::size_t characters = 0; end < word.size(); ++end) {
        if (StartsCharacter(word[end]) && characters++ == width) {
            break;
        }
        if (word[end] == '/' || word[end] == '\\') {
            afterSeparator = end + 1;
        }
    }
    return end < word.size() && afterSeparator > 0 ? afterSeparator : end;
}

}  // namespace

std::string BreakLongWords(std::string_view text, std::size_t width) {
    std::string broken;
    while (!text.empty()) {
        const std::size_t wordEnd = std::min(text.find_first_of(" \n"), text.size());
        std::string_view word = text.substr(0, wordEnd);
        for (std::size_t end; (end = LineEnd(word, width)) < word.size(); word.remove_prefix(end)) {
            broken.append(word.substr(0, end)).append("\n");
        }
        broken.append(word);
        broken.append(text.substr(wordEnd, 1));
        text.remove_prefix(std::min(wordEnd + 1, text.size()));
    }
    return broken;
}

int DialogUnitsToPixelsX(int units, int averageCharWidth) {
    return MulDiv(units, averageCharWidth, 4);
}

int DialogUnitsToPixelsY(int units, int charHeight) {
    return MulDiv(units, charHeight, 8);
}

int AverageCharWidth(int widthOfTheLetters) {
    return (widthOfTheLetters / 26 + 1) / 2;
}

std::filesystem::path WithDefaultExtension(const std::filesystem::path& name) {
    if (name.filename().has_extension()) {
        return name;
    }
    std::filesystem::path withExtension = name;
    withExtension += std::string(".") + kExportDefaultExtension;
    return withExtension;
}

ExportResult ExportNotation(int nMethodIndex, IFileChooser& chooser, std::string& message) {
    if (!NamesMethod(nMethodIndex)) {
        return ExportResult::NoMethod;
    }
    const std::optional<std::filesystem::path> path = chooser.AskSavePath();
    if (!path) {
        return ExportResult::Cancelled;
    }
    std::string reason;
    if (ExportMethodText(nMethodIndex, *path, reason)) {
        return ExportResult::Written;
    }
    message = BreakLongWords("The notation could not be written to " + path->u8string() + ".\n\n" + reason,
                             kMessageWidth);
    return ExportResult::NotWritten;
}
