#include "settings/SettingsDialog.h"

#include <limits>

#include "colour/TextFile.h"
#include "ringing/LeadText.h"
#include "ringing/MethodLibrary.h"
#include "ringing/PlaceNotation.h"

void CSettingsDialogState::Load() {
    m_nMethodIndex = m_settings.Config().GetEntry(kMethod).GetInteger();
    m_nShowTreble = m_settings.Config().GetEntry(kShowTreble).GetInteger();
}

void CSettingsDialogState::Save() {
    CSettings::SetInteger(m_settings.Config().GetEntry(kMethod), m_nMethodIndex);
    CSettings::SetInteger(m_settings.Config().GetEntry(kShowTreble), m_nShowTreble);
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
