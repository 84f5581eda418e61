#include "settings/SettingsDialog.h"

#include <cstdint>
#include <limits>

#include "colour/TextFile.h"
#include "ringing/LeadText.h"
#include "ringing/MethodLibrary.h"
#include "ringing/PlaceNotation.h"
#include "settings/Speed.h"

void CSettingsDialogState::Load() {
    m_nMethodIndex = m_settings.Config().GetEntry(kMethod).GetInteger();
    m_nShowTreble = m_settings.Config().GetEntry(kShowTreble).GetInteger();
}

void CSettingsDialogState::Save() {
    CSettings::SetInteger(m_settings.Config().GetEntry(kMethod), m_nMethodIndex);
    CSettings::SetInteger(m_settings.Config().GetEntry(kShowTreble), m_nShowTreble);
    if (m_nSpeed) {
        CSettings::SetInteger(m_settings.Config().GetEntry(kSpeed), *m_nSpeed);
    }
}

std::optional<int> CSettingsDialogState::StoredSpeed() {
    return ::StoredSpeed(m_settings.Config().GetEntry(kSpeed));
}

bool NamesMethod(int nMethodIndex) {
    return nMethodIndex < std::numeric_limits<int>::max() && FindMethod(nMethodIndex + 1) != nullptr;
}

bool ExportMethodText(int nMethodIndex, const std::filesystem::path& path) {
    if (!NamesMethod(nMethodIndex)) {
        return false;
    }
    const CPlaceNotation notation(12, nMethodIndex + 1);
    const TextFileHandle file = OpenTextFile(path, 1);
    if (file == 0) {
        return false;
    }
    WriteTextLine(file, LeadText(notation), 0);
    CloseTextFile(file);
    return true;
}

namespace {

// MulDiv: value * numerator / denominator, rounded half away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

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

ExportResult ExportNotation(int nMethodIndex, IFileChooser& chooser) {
    if (!NamesMethod(nMethodIndex)) {
        return ExportResult::NoMethod;
    }
    const std::optional<std::filesystem::path> path = chooser.AskSavePath();
    if (!path) {
        return ExportResult::Cancelled;
    }
    return ExportMethodText(nMethodIndex, *path) ? ExportResult::Written : ExportResult::NotWritten;
}
