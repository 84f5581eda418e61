#pragma once

#include <chrono>

#include "platform/x11/XDrawWindow.h"
#include "shell/SaverInput.h"

// A window of run mode: a borderless override-redirect window over one monitor,
// raised above all others, with an invisible pointer, closing on the first sign
// of the user: a key, a mouse button or a real mouse movement (judged across all
// the saver's windows by one CSaverInput). The window that takes the input also
// takes the focus and the keyboard and pointer grabs, as screen lockers do; it
// closes when the focus goes to another window unless it holds the keyboard,
// since input reaches it then whatever the focus is.
class CXSaverWindow : public CXDrawWindow {
  public:
    CXSaverWindow(Display* display, std::optional<int> speed, CSaverInput& input)
        : CXDrawWindow(display, speed), m_input(input) {}
    ~CXSaverWindow() override;

    // Creates the window over `area`, sets up the picture for its size and maps
    // it. False when the screen's visual cannot show colours.
    bool CreateFullScreen(const XRectangle& area, bool takesInput);
    // Moves the window over the monitor's new place and size.
    void Cover(const XRectangle& area);

  protected:
    void OnEvent(const XEvent& event) override;
    void OnIdle() override;

  private:
    void OnMapped();
    void TryGrabs();

    CSaverInput& m_input;
    XRectangle m_area{};
    bool m_bTakesInput = false;
    Cursor m_invisibleCursor = None;
    bool m_bKeyboardGrabbed = false;
    bool m_bPointerGrabbed = false;
    bool m_bGrabbing = false;  // grabs are being tried until m_grabDeadline
    std::chrono::steady_clock::time_point m_nextGrab;
    std::chrono::steady_clock::time_point m_grabDeadline;
};
