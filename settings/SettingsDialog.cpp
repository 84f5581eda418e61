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
    message = "The settings could not be stored.\n\n" + config.WriteFailure();
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
    message = "The notation could not be written to " + path->u8string() + ".\n\n" + reason;
    return ExportResult::NotWritten;
}
