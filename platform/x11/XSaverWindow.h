#pragma once

#include <chrono>

#include "platform/x11/XDrawWindow.h"
#include "shell/SaverInput.h"

// The window of run mode: a borderless override-redirect window over the primary
// monitor, raised above all others, with an invisible pointer. It takes the
// keyboard and the pointer as screen lockers do, and closes on the first sign of
// the user: a key, a mouse button, a real mouse movement, or the loss of the
// input focus to another window.
class CXSaverWindow : public CXDrawWindow {
  public:
    using CXDrawWindow::CXDrawWindow;
    ~CXSaverWindow() override;

    // Creates the window, sets up the picture for its size and maps it. False when
    // the screen's visual cannot show colours.
    bool CreateFullScreen();

  protected:
    void OnEvent(const XEvent& event) override;
    void OnIdle() override;

  private:
    void OnMapped();
    void TryGrabs();

    CSaverInput m_input;
    Cursor m_invisibleCursor = None;
    bool m_bKeyboardGrabbed = false;
    bool m_bPointerGrabbed = false;
    bool m_bGrabbing = false;  // grabs are being tried until m_grabDeadline
    std::chrono::steady_clock::time_point m_nextGrab;
    std::chrono::steady_clock::time_point m_grabDeadline;
};
