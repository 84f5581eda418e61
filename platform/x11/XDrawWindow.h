#pragma once

#include <X11/Xlib.h>

#include <memory>

#include "platform/x11/XRowSurface.h"
#include "shell/RingCanvas.h"

// The X window that shows the picture: a window of its own (see CXSaverWindow) or
// one that another program lends it (xscreensaver's). It rebuilds the canvas on
// every size change; the frame loop fills it with the background and draws row
// after row, handling every pending event between two rows, until the saver is
// to end: on a close request, on SIGTERM or SIGINT, or when the window is gone.
class CXDrawWindow {
  public:
    explicit CXDrawWindow(Display* display);  // loads the settings
    virtual ~CXDrawWindow();
    CXDrawWindow(const CXDrawWindow&) = delete;
    CXDrawWindow& operator=(const CXDrawWindow&) = delete;

    // Draws into another program's window with its own size, visual and depth.
    // That program owns the window, its input and its life: input and further
    // exposures never end the saver there. False (and a line on stderr) when there
    // is no such window or its visual cannot show colours.
    bool Adopt(Window window);

    // Runs the saver until it is to end; returns the exit status. A window of its
    // own starts the frame loop at its first exposure, an adopted one at once.
    int Run();

  protected:
    // Takes a window just created (not yet mapped) as the one to draw in; its size
    // is known now, so the picture is set up before the first exposure.
    bool Attach(Window window, Visual* visual, int depth, int width, int height);
    // One event of the window, after the size, exposure and destruction handling.
    virtual void OnEvent(const XEvent&) {}
    // Runs after the pending events between two rows.
    virtual void OnIdle() {}
    // Asks the frame loop to end after the events it is handling.
    void Close() { m_bStop = true; }

    Display* m_display;
    Window m_window = None;

  private:
    void OnSize(int width, int height);
    void OnExpose(const XExposeEvent& expose);
    void Dispatch(const XEvent& event);
    void PumpPendingEvents();
    void WaitForEvents() const;
    bool Stopping() const;

    CRingCanvas m_canvas;
    std::unique_ptr<CXRowSurface> m_surface;
    Visual* m_visual = nullptr;
    int m_depth = 0;
    int m_width = 0;
    int m_height = 0;
    bool m_bAdopted = false;
    bool m_bExposed = false;   // the first exposure has come: the frame loop runs
    int m_nExposuresLeft = 0;  // further Expose events of the same exposure
    bool m_bStop = false;
};
