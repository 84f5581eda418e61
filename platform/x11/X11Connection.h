#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <string>
#include <vector>

// A connection to an X display, with its errors handled as the saver and the idle
// watcher need: Xlib's own handlers would end the process. An error about a window
// drawn in means that its owner destroyed it (TakeWindowGone tells, once); any other
// is reported on stderr. A lost connection is said once on stderr and noted (Lost):
// the Xlib call that met it returns, and so does every later one, at once. Each
// program then decides its own end.
class CX11Connection {
  public:
    // nullptr when the display cannot be opened.
    static std::unique_ptr<CX11Connection> Open(const std::string& name);
    ~CX11Connection();
    CX11Connection(const CX11Connection&) = delete;
    CX11Connection& operator=(const CX11Connection&) = delete;

    Display* Get() const { return m_display; }
    bool Lost() const { return m_bLost; }

    // The windows drawn in, whose errors mean that they are gone.
    void TrackWindow(Window window);
    void ForgetWindow(Window window);
    bool TakeWindowGone();

  private:
    explicit CX11Connection(Display* display) : m_display(display) {}
    static int OnError(Display* display, XErrorEvent* error);
    static void OnLost(Display* display, void* self);

    Display* m_display;
    bool m_bLost = false;
    std::vector<Window> m_windows;
    bool m_bWindowGone = false;
};
