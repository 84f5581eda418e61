#pragma once

#include "platform/win32/framework/Wnd.h"
#include "shell/RingCanvas.h"

// The window that shows the picture. It rebuilds the canvas on every size change;
// its first paint fills it with the background and runs the frame loop, one row
// step and then every waiting message, until a close request has been dispatched;
// then the process ends. Rows follow each other as fast as they are drawn, unless
// the user has stored a "Speed": then they come at that many a second.
class CDrawWnd : public CWnd {
  public:
    explicit CDrawWnd(BOOL bAutoDelete);
    ~CDrawWnd() override;

    virtual BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, HWND parent);

  protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

  private:
    void OnPaint();
    void RunFrameLoop(IDrawingSurface& surface);
    // Dispatches every waiting message and runs the idle work. Returns whether a
    // close request was among them; it touches no window object, because the
    // close may have destroyed and deleted this one.
    static bool PumpPendingMessages();

    LPCWSTR m_lpszClassName = nullptr;
    CRingCanvas m_canvas;
    BOOL m_bInFrameLoop = FALSE;
    BOOL m_bAutoDelete;
    bool* m_pbDeleted = nullptr;  // the running frame loop's flag, told of the deletion
};
