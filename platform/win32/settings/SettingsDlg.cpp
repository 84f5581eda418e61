#include "platform/win32/settings/SettingsDlg.h"

#include "platform/win32/SystemErrorText.h"
#include "platform/win32/settings/SaveFileChooser.h"

namespace {
// The system-menu item that sends the export command; system commands are multiples of 16 below 0xF000.
constexpr UINT IDM_EXPORT_NOTATION = 0x0050;
}  // namespace

void CSettingsDlg::DoDataExchange(CDataExchange* dx) {
    m_wndMethodList = GetDlgItem(m_hWnd, IDC_METHOD_LIST);
    if (!dx->m_bSaveAndValidate) {
        m_state.m_nShowTreble = CSettingsDialogState::CheckBoxState(m_state.m_nShowTreble);
    }
    DDX_Check(dx, IDC_SHOW_TREBLE, m_state.m_nShowTreble);
}

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int index = 0; index < kMethodListCount; ++index) {
        SendMessageA(m_wndMethodList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(MethodListName(index)));
    }
    m_state.Load();
    UpdateData(FALSE);
    SendMessageW(m_wndMethodList, LB_SETCURSEL, static_cast<WPARAM>(m_state.m_nMethodIndex), 0);

    const HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_EXPORT_NOTATION, L"&Export Notation...");
    return TRUE;  // the dialog manager puts the focus on the first tab stop, OK
}

void CSettingsDlg::OnOK() {
    UpdateData(TRUE);
    std::string failure;
    if (!m_state.Save(failure)) {
        ShowFailure(failure);  // the dialog stays open: the user may try again or cancel
        return;
    }
    CDialog::OnOK();
}

void CSettingsDlg::ShowFailure(const std::string& message) const {
    MessageBoxW(m_hWnd, FromUtf8(message).c_str(), FromUtf8(kFailureCaption).c_str(), MB_OK | MB_ICONERROR);
}

BOOL CSettingsDlg::OnCommand(WORD id, WORD code) {
    if (id == IDC_METHOD_LIST && code == LBN_SELCHANGE) {
        m_state.m_nMethodIndex = static_cast<int>(SendMessageW(m_wndMethodList, LB_GETCURSEL, 0, 0));
        return TRUE;
    }
    if (id == ID_EXPORT_NOTATION && code == BN_CLICKED) {
        ExportMethodText();
        return TRUE;
    }
    return CDialog::OnCommand(id, code);
}

INT_PTR CSettingsDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == IDM_EXPORT_NOTATION) {
        SendMessageW(m_hWnd, WM_COMMAND, MAKEWPARAM(ID_EXPORT_NOTATION, BN_CLICKED), 0);
        return TRUE;
    }
    return CDialog::DialogProc(message, wParam, lParam);
}

void CSettingsDlg::ExportMethodText() {
    CSaveFileChooser chooser(m_hWnd);
    std::string failure;
    switch (ExportNotation(m_state.m_nMethodIndex, chooser, failure)) {
        case ExportResult::NoMethod:
            MessageBeep(MB_ICONWARNING);  // no method to write: refuse rather than ask for a file
            break;
        case ExportResult::NotWritten:
            ShowFailure(failure);
            break;
        case ExportResult::Cancelled:
        case ExportResult::Written:
            break;
    }
}
