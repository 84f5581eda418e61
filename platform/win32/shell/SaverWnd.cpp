#include "platform/win32/shell/SaverWnd.h"

#include <windowsx.h>

BOOL CSaverWnd::CreateFullScreen() {
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return Create(WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE, screen, GetDesktopWindow());
}

LRESULT CSaverWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SYSCOMMAND: {
            const WPARAM command = wParam & 0xFFF0;
            if (command == SC_SCREENSAVE || command == SC_CLOSE) {
                return 0;
            }
            break;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return CDrawWnd::WindowProc(message, wParam, lParam);
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        case WM_NCACTIVATE:
            if (!wParam) {
                return FALSE;  // refuse to be shown as inactive
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                Judge(SaverEvent::FocusLost(false));
            }
            break;
        case WM_ACTIVATEAPP:
            if (!wParam) {
                Judge(SaverEvent::FocusLost(false));
            }
            break;
        case WM_MOUSEMOVE:
            Judge(SaverEvent::Move(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
            break;
        case WM_LBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDOWN:
            Judge(SaverEvent::Button());
            break;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            Judge(SaverEvent::Key());
            break;
        default:
            return CDrawWnd::WindowProc(message, wParam, lParam);
    }
    return Default(message, wParam, lParam);
}
