#include "platform/win32/settings/SaveFileChooser.h"

#include <commdlg.h>

#include <string>

namespace {

std::wstring Widen(const char* ascii) {
    return std::wstring(ascii, ascii + std::char_traits<char>::length(ascii));
}

}  // namespace

std::optional<std::filesystem::path> CSaveFileChooser::AskSavePath() {
    // "Text files\0*.txt\0" and the list's closing terminator.
    const std::wstring filter = Widen(kExportFilterName) + L'\0' + Widen(kExportFilterPattern) + L'\0';
    const std::wstring extension = Widen(kExportDefaultExtension);
    wchar_t file[990] = L"";
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = m_owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file / sizeof file[0];
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    ofn.lpstrDefExt = extension.c_str();
    if (!GetSaveFileNameW(&ofn)) {
        return std::nullopt;
    }
    return std::filesystem::path(file);
}
