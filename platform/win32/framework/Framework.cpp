#include <cstring>

#include "platform/win32/framework/Dialog.h"
#include "platform/win32/framework/WinApp.h"
#include "platform/win32/framework/Wnd.h"

namespace {
CWinApp* g_pApp = nullptr;
CWnd* g_pCreating = nullptr;  // the object whose window CreateWindowExW is creating
}  // namespace

// ---- CWinApp ----

CWinApp::CWinApp() {
    g_pApp = this;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}

BOOL CWinApp::PumpMessage() {
    if (GetMessageW(&m_msgCur, nullptr, 0, 0) <= 0) {
        return FALSE;
    }
    TranslateMessage(&m_msgCur);
    DispatchMessageW(&m_msgCur);
    return TRUE;
}

int CWinApp::Run() {
    if (m_pMainWnd == nullptr) {
        PostQuitMessage(0);  // nothing to run the loop for
    }
    for (;;) {
        MSG peeked;
        for (LONG idle = 0; !PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE) && OnIdle(idle); ++idle) {
        }
        if (!PumpMessage()) {
            return static_cast<int>(m_msgCur.wParam);
        }
    }
}

int AfxWinMain(LPWSTR commandLine) {
    CWinApp* app = AfxGetApp();
    app->m_lpCmdLine = commandLine;
    if (!app->InitInstance()) {
        return app->m_nExitCode;
    }
    return app->Run();
}

// ---- CWnd ----

#ifdef LUCENTA_POISON_DELETED_WINDOWS
void* CWnd::operator new(std::size_t size) {
    return ::operator new(size);
}

void CWnd::operator delete(void* object, std::size_t size) {
    std::memset(object, 0x7F, size);  // counts and pointers become huge: a use faults at once
}
#endif

CWnd::~CWnd() {
    if (m_hWnd != nullptr && GetWindowLongPtrW(m_hWnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    }
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return Default(message, wParam, lParam);
}

LPCWSTR CWnd::RegisterWndClass(UINT classStyle) {
    static wchar_t name[64];
    wsprintfW(name, L"Lucenta:%x", classStyle);
    WNDCLASSW wc{};
    if (!GetClassInfoW(GetModuleHandleW(nullptr), name, &wc)) {
        wc.style = classStyle;
        wc.lpfnWndProc = StaticWndProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    return name;
}

BOOL CWnd::CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect,
                    HWND parent) {
    g_pCreating = this;
    const HWND hWnd =
        CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    g_pCreating = nullptr;
    return hWnd != nullptr;
}

void CWnd::AfterNcDestroy(CWnd* wnd) {
    if (AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd == wnd) {
        AfxGetApp()->m_pMainWnd = nullptr;
    }
    wnd->m_hWnd = nullptr;
    wnd->PostNcDestroy();  // may delete the object
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* wnd = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (wnd == nullptr && g_pCreating != nullptr) {
        // The first message of a window being created: bind it to its object.
        wnd = g_pCreating;
        g_pCreating = nullptr;
        wnd->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wnd));
    }
    if (wnd == nullptr) {
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        AfterNcDestroy(wnd);
    }
    return result;
}

// ---- CDialog ----

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nTemplateId(templateId), m_pParent(parent) {}

INT_PTR CDialog::DoModal() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId),
                           m_pParent != nullptr ? m_pParent->m_hWnd : nullptr, StaticDialogProc,
                           reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx{saveAndValidate, m_hWnd};
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(m_hWnd, IDOK);
}

void CDialog::OnCancel() {
    EndDialog(m_hWnd, IDCANCEL);
}

BOOL CDialog::OnCommand(WORD id, WORD code) {
    if (code != BN_CLICKED) {
        return FALSE;
    }
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return OnInitDialog();
    }
    if (message == WM_COMMAND) {
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hDlg, DWLP_USER));
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(hDlg);
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
    }
    if (dialog == nullptr) {
        return FALSE;
    }
    const INT_PTR result = dialog->DialogProc(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hDlg, DWLP_USER, 0);
        AfterNcDestroy(dialog);
    }
    return result;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    const HWND control = GetDlgItem(dx->m_hDlg, id);
    if (dx->m_bSaveAndValidate) {
        value = static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}
