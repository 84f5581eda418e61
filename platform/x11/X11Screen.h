#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <memory>
#include <vector>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Surface.h"
#include "shell/SaverBackend.h"
#include "shell/SaverEvent.h"

// One screen of the X11 saver. Either a window of its own over a monitor, above
// all others, with an invisible pointer, whose input it tells (the one that takes
// the input also takes the focus and the keyboard and pointer grabs, as screen
// lockers do); or a window that xscreensaver lends it, whose input and life are
// the lender's. Its surface is made anew for every size the window takes; it is
// shown from the first exposure of a window of its own (at once in a lent one),
// and its frames are timed on the display that shows its centre.
class CX11Screen : public ISaverScreen {
  public:
    // A window of its own over `area`, mapped; nullptr, with a line on stderr,
    // when nothing can be drawn on it.
    static std::unique_ptr<CX11Screen> Cover(CX11Connection& connection, const XRectangle& area,
                                             bool takesInput);
    // The lent window; nullptr, with a line on stderr, when nothing can be drawn in it.
    static std::unique_ptr<CX11Screen> Lend(CX11Connection& connection, Window window);
    ~CX11Screen() override;
    CX11Screen(const CX11Screen&) = delete;
    CX11Screen& operator=(const CX11Screen&) = delete;

    Window Id() const { return m_window; }
    // Moves a window of its own over the monitor's new place and size.
    void MoveTo(const XRectangle& area);
    // One event of the window; what it means for the saver goes to `events`.
    void Dispatch(const XEvent& event, std::vector<SaverEvent>& events);
    // Whether a window of its own was exposed since the last call, once shown:
    // another window passed over the picture, or the screen changed beneath it.
    bool TakeExposure();
    // After a pump's events: the surface made anew for the last size seen.
    void FollowSize(std::vector<SaverEvent>& events);
    // The grabs not held yet tried again, while their time lasts.
    void RetryGrabs();

    ScreenShape Shape() const override;
    // The server queues what is presented: a frame is always ready, at the display's rate.
    std::optional<PaceTime> FrameFrom(PaceTime t) const override { return m_frames.DeadlineFrom(t); }

  private:
    explicit CX11Screen(CX11Connection& connection) : m_connection(connection), m_display(connection.Get()) {}
    bool CreateOwnWindow(const XRectangle& area);
    // The window's visual, depth and size; false, with a line on stderr, when
    // nothing can be drawn on it.
    bool Attach(Visual* visual, int depth, int width, int height);
    bool MakeSurface(int width, int height);
    void OnExpose(const XExposeEvent& expose);
    void OnMapped();
    void TryGrabs();

    CX11Connection& m_connection;
    Display* m_display;
    Window m_window = None;
    bool m_bLent = false;
    bool m_bTakesInput = false;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    XRectangle m_area{};  // a window of its own: the monitor it covers
    int m_width = 0;
    int m_height = 0;
    int m_pendingWidth = 0;
    int m_pendingHeight = 0;
    std::unique_ptr<CX11Surface> m_surface;
    std::int64_t m_refreshMilliHz = 0;
    unsigned m_generation = 0;
    CFrameClock m_frames{0, PaceTime(0)};
    bool m_bShown = false;
    int m_nExposuresLeft = 0;  // further Expose events of the same exposure
    bool m_bExposed = false;
    Cursor m_invisibleCursor = None;
    bool m_bKeyboardGrabbed = false;
    bool m_bPointerGrabbed = false;
    bool m_bGrabbing = false;  // grabs are being tried until m_grabDeadline
    std::chrono::steady_clock::time_point m_nextGrab;
    std::chrono::steady_clock::time_point m_grabDeadline;
};
