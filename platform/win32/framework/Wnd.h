#pragma once
// MFC's names on a much smaller contract: a window object bound to its HWND, a virtual
// WindowProc with Default, class registration, creation and PostNcDestroy; nothing
// else of MFC's CWnd (no message maps, no handle maps, no temporary objects) is there.

#include <windows.h>

#include <cstddef>

// A small window framework on Win32: an object per window, messages handled by
// a virtual WindowProc, default processing by Default.
class CWnd {
  public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, message, wParam, lParam);
    }

    HWND m_hWnd = nullptr;

#ifdef LUCENTA_POISON_DELETED_WINDOWS
    // Test builds: a deleted window object keeps its memory, filled with a pattern
    // that makes any later use of it crash instead of passing unnoticed.
    static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size);
#endif

  protected:
    // Handles one message; the default passes it to default processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) const {
        return DefWindowProcW(m_hWnd, message, wParam, lParam);
    }
    // The last notification after the window has been destroyed; the object may delete itself here.
    virtual void PostNcDestroy() {}

    // Registers a window class without cursor, background brush or icon; returns its name.
    static LPCWSTR RegisterWndClass(UINT classStyle);
    BOOL CreateEx(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, const RECT& rect,
                  HWND parent);

    // Attaches an existing window (a dialog) to this object.
    void Attach(HWND hWnd) {
        m_hWnd = hWnd;
    }
    // Called by each window procedure after WM_NCDESTROY.
    static void AfterNcDestroy(CWnd* wnd);

  private:
    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
