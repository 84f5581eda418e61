#pragma once

#include "platform/win32/shell/DrawWnd.h"
#include "shell/SaverInput.h"

// The window of run mode: a borderless top-most popup over the primary screen
// that hides the cursor and closes on the first sign of the user.
class CSaverWnd : public CDrawWnd {
  public:
    CSaverWnd() : CDrawWnd(TRUE) {}

    BOOL CreateFullScreen();

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void Close() const { PostMessage(WM_CLOSE); }

    CSaverInput m_input;
};
