#pragma once

#include <string>

#include "platform/win32/framework/Dialog.h"
#include "settings/SettingsDialog.h"

// The settings dialog on template 101: the method list, the "Show Treble" box,
// OK and Cancel; its system menu also offers the notation export (command 1005).
class CSettingsDlg : public CDialog {
  public:
    explicit CSettingsDlg(CWnd* parent = nullptr) : CDialog(IDD_SETTINGS, parent) {}

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    BOOL OnCommand(WORD id, WORD code) override;
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void ExportMethodText();
    // A message box over the dialog: a save or an export failed, and why.
    void ShowFailure(const std::string& message) const;

    HWND m_wndMethodList = nullptr;
    CSettingsDialogState m_state;
};
