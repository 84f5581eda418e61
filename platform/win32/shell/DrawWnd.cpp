#include "platform/win32/shell/DrawWnd.h"

#include <timeapi.h>
#include <unistd.h>

#include "platform/win32/framework/PaintDC.h"
#include "platform/win32/framework/WinApp.h"
#include "platform/win32/shell/DcSurface.h"
#include "settings/Speed.h"
#include "shell/FramePacing.h"

namespace {

// The system's timer at its finest (1 ms) while it lives: a wait of a frame then
// lasts a frame, not the default tick's 15.6 ms rounded up.
class CFineTimer {
  public:
    explicit CFineTimer(bool wanted) : m_bHeld(wanted && timeBeginPeriod(1) == TIMERR_NOERROR) {}
    ~CFineTimer() {
        if (m_bHeld) {
            timeEndPeriod(1);
        }
    }
    CFineTimer(const CFineTimer&) = delete;
    CFineTimer& operator=(const CFineTimer&) = delete;

  private:
    bool m_bHeld;
};

// Sleeps until `until`, or less when a message comes.
void WaitForMessages(PaceTime until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - PaceNow());
    if (left.count() > 0) {
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

}  // namespace

CDrawWnd::CDrawWnd(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}

CDrawWnd::~CDrawWnd() {
    if (m_pbDeleted != nullptr) {
        *m_pbDeleted = true;
    }
}

BOOL CDrawWnd::Create(DWORD exStyle, DWORD style, const RECT& rect, HWND parent) {
    if (m_lpszClassName == nullptr) {
        // No background brush: the system never erases the window, the paint handler fills it.
        m_lpszClassName = RegisterWndClass(CS_HREDRAW | CS_VREDRAW);
    }
    return CreateEx(exStyle, m_lpszClassName, L"", style, rect, parent);
}

void CDrawWnd::PostNcDestroy() {
    if (m_bAutoDelete) {
        delete this;
    }
}

LRESULT CDrawWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY:
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SIZE:
            m_canvas.Setup(LOWORD(lParam), HIWORD(lParam));
            break;
        default:
            break;
    }
    return Default(message, wParam, lParam);
}

void CDrawWnd::OnPaint() {
    CPaintDC dc(m_hWnd);
    RECT client{};
    GetClientRect(m_hWnd, &client);
    CDcSurface surface(dc.GetSafeHdc(), client);
    surface.Fill(m_canvas.Background());
    RunFrameLoop(surface);
    // Whether the loop ended on a close request (this object is gone then) or
    // found itself already running, the program ends here, without clean-up.
    _exit(0);
}

void CDrawWnd::RunFrameLoop(IDrawingSurface& surface) {
    if (m_bInFrameLoop) {
        return;
    }
    m_bInFrameLoop = TRUE;
    // Set by the destructor: the loop learns that the object is gone without touching it.
    bool deleted = false;
    m_pbDeleted = &deleted;
    bool closeSeen = false;
    // Unpaced unless the user has set a speed: then each row waits for its time,
    // and messages are handled while it waits.
    CRowPacer pacer = CRowPacer::FromFirstFrame(SaverSpeed(std::nullopt, m_canvas.Settings(), kUnpacedSpeed));
    const CFineTimer timer(pacer.Paced());
    std::int64_t due = 0;
    do {
        if (due == 0) {
            due = pacer.TakeRowsDue(PaceNow());
        }
        if (due > 0) {
            m_canvas.DrawNextRow(surface);
            --due;
        } else {
            WaitForMessages(pacer.NextRowDue());
        }
        closeSeen = PumpPendingMessages();
    } while (!closeSeen && !deleted);
    // A close request destroys the window and, with automatic deletion, this
    // object: then nothing of it may be touched any more. An object that is still
    // there forgets the flag before it goes out of scope.
    if (!deleted) {
        m_pbDeleted = nullptr;
        m_bInFrameLoop = FALSE;
    }
}

bool CDrawWnd::PumpPendingMessages() {
    CWinApp* app = AfxGetApp();
    bool closeSeen = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        const UINT peeked = msg.message;
        // PumpMessage answers FALSE when it takes the quit request off the queue; that
        // is ignored on purpose: the quit only follows the saver window's destruction,
        // whose close request already ends the loop, and the process then ends at once.
        app->PumpMessage();
        closeSeen = closeSeen || peeked == WM_CLOSE;
    }
    for (LONG idle = 0; app->OnIdle(idle); ++idle) {
    }
    return closeSeen;
}
