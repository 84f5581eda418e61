// The screen saver's application object and the program's entry.
#include <windows.h>
// These need the types windows.h declares.
#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "platform/win32/framework/WinApp.h"
#include "platform/win32/settings/SettingsDlg.h"
#include "platform/win32/shell/SaverWnd.h"
#include "shell/SaverMode.h"

namespace {

constexpr std::size_t kInstallPathCapacity = 255;  // characters with the terminator

class CLucentaApp : public CWinApp {
  public:
    BOOL InitInstance() override;
    void RunSettingsDialog();

  private:
    void Install();
    BOOL RunSaver();
};

CLucentaApp theApp;

int ArgumentCount() {
    int count = 0;
    LocalFree(CommandLineToArgvW(GetCommandLineW(), &count));
    return count;
}

BOOL CLucentaApp::InitInstance() {
    CWinApp::InitInstance();
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const std::u16string arguments(reinterpret_cast<const char16_t*>(m_lpCmdLine));
    switch (ParseSaverMode(arguments, ArgumentCount())) {
        case SaverMode::Install:
            Install();
            return TRUE;
        case SaverMode::Run:
            return RunSaver();
        case SaverMode::Configure:
            RunSettingsDialog();
            return FALSE;
        case SaverMode::Exit:
            break;
    }
    return FALSE;
}

// Hands Lucenta.scr in the Windows directory to the shell's install verb. A path
// that would not fit its buffer is not truncated: nothing is requested then.
void CLucentaApp::Install() {
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return;
    }
    const std::wstring path = std::wstring(windows, length) + L"\\Lucenta.scr";
    if (path.size() >= kInstallPathCapacity) {
        return;
    }
    ShellExecuteW(nullptr, L"install", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL CLucentaApp::RunSaver() {
    auto* saver = new CSaverWnd;  // deletes itself once its window is destroyed
    if (!saver->CreateFullScreen()) {
        // A window that failed half-way through its creation has been destroyed and
        // its object deleted already; one that never began is left to the process's end.
        m_nExitCode = 1;
        return FALSE;
    }
    m_pMainWnd = saver;
    return TRUE;
}

void CLucentaApp::RunSettingsDialog() {
    CSettingsDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    return AfxWinMain(commandLine);
}
