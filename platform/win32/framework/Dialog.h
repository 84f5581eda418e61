#pragma once
// MFC's names on a much smaller contract: a modal dialog on a template with OK, Cancel,
// commands and check-box data exchange; nothing else of MFC's CDialog or DDX is there.

#include "platform/win32/framework/Wnd.h"

// Which way a data exchange runs between a dialog's members and its controls.
struct CDataExchange {
    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    HWND m_hDlg;
};

// Exchanges a check box's state (0, 1, 2) with an int.
void DDX_Check(CDataExchange* dx, int id, int& value);

// A modal dialog on a dialog template.
class CDialog : public CWnd {
  public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    INT_PTR DoModal();
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

  protected:
    virtual void DoDataExchange(CDataExchange*) {}
    virtual BOOL OnInitDialog();  // exchanges the members to the controls
    virtual void OnOK();          // exchanges the controls to the members and ends with IDOK
    virtual void OnCancel();      // ends with IDCANCEL
    // Commands from controls and menus; TRUE when handled.
    virtual BOOL OnCommand(WORD id, WORD code);
    virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static INT_PTR CALLBACK StaticDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nTemplateId;
    CWnd* m_pParent;
};
