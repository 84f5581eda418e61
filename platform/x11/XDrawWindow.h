#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>

#include "platform/x11/XRowSurface.h"
#include "shell/FramePacing.h"
#include "shell/RingCanvas.h"

// An X window that shows the picture: a window of its own (see CXSaverWindow) or
// one that another program lends it (xscreensaver's). It sets the canvas up for
// every size it is given, fills itself with the background and then draws, a row
// at a time when unpaced, else every row due at each frame of the display that
// shows it. The loop that drives it lives in CXSaver.
class CXDrawWindow {
  public:
    // Loads the settings; the speed is the stored one unless `speed` is given.
    CXDrawWindow(Display* display, std::optional<int> speed);
    virtual ~CXDrawWindow();
    CXDrawWindow(const CXDrawWindow&) = delete;
    CXDrawWindow& operator=(const CXDrawWindow&) = delete;

    // Draws into another program's window with its own size, visual and depth.
    // That program owns the window, its input and its life: input and further
    // exposures never end the saver there. False (and a line on stderr) when there
    // is no such window or it cannot show colours.
    bool Adopt(Window window);

    Window Id() const { return m_window; }
    bool Adopted() const { return m_bAdopted; }
    bool Paced() const { return m_speed > 0; }
    // Drawing has begun: at the first exposure of a window of its own, at once in an adopted one.
    bool Drawing() const { return m_bDrawing; }
    // The window asks the saver to end: input, a later exposure, or its destruction.
    bool Ending() const { return m_bStop; }
    // The picture could not be set up for a new size (a line on stderr said why).
    bool Failed() const { return m_bFailed; }

    // One event of this window. A size change is noted and set up by ApplyPendingSize.
    void Dispatch(const XEvent& event);
    // After the waiting events: sets the picture up once, for the last size seen.
    void ApplyPendingSize();
    // Runs after the waiting events of every pump.
    virtual void OnIdle() {}

    // Unpaced: one row, shown at once.
    void DrawRow();
    // Paced: when the next frame with a row due is to be drawn, and drawing it.
    PaceTime NextFrame() const;
    void DrawFrame(PaceTime now);

  protected:
    // Takes a window just created (not yet mapped) as the one to draw in; its size
    // is known now, so the picture is set up before the first exposure.
    bool Attach(Window window, Visual* visual, int depth, int width, int height);
    // One event of the window, after the size, exposure and destruction handling.
    virtual void OnEvent(const XEvent&) {}
    // Asks the saver to end after the events it is handling.
    void Close() { m_bStop = true; }
    // The saver moves or sizes the window itself: the exposure that follows is no
    // sign of another window.
    void ExpectExposure() { m_bExposureExpected = true; }

    Display* m_display;
    Window m_window = None;

  private:
    void Track(Window window);
    bool SetUp(int width, int height);
    void StartDrawing();
    void OnExpose(const XExposeEvent& expose);

    CRingCanvas m_canvas;
    int m_speed;
    std::unique_ptr<CXRowSurface> m_surface;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    int m_width = 0;
    int m_height = 0;
    int m_pendingWidth = 0;
    int m_pendingHeight = 0;
    bool m_bAdopted = false;
    bool m_bDrawing = false;
    int m_nExposuresLeft = 0;  // further Expose events of the same exposure
    bool m_bStop = false;
    bool m_bFailed = false;
    bool m_bExposureExpected = false;
    CRowPacer m_pacer{0, PaceTime(0)};
    CFrameClock m_frames{0, PaceTime(0)};
};

// Whether the X server reported that a window drawn in is gone.
bool DrawnWindowGone();
