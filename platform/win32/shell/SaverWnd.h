#pragma once

#include "platform/win32/shell/DrawWnd.h"
#include "shell/SaverEnd.h"

// The window of run mode: a borderless top-most popup over the primary screen
// that hides the cursor and closes when the judge hears the first sign of the user.
class CSaverWnd : public CDrawWnd {
  public:
    CSaverWnd() : CDrawWnd(TRUE) {}

    BOOL CreateFullScreen();

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // Passes the event to the judge, and asks the window to close when it ends the saver.
    void Judge(const SaverEvent& event) {
        if (m_judge.Judge(event)) {
            PostMessage(WM_CLOSE);
        }
    }

    CSaverEndJudge m_judge;
};
