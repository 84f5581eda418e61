#pragma once

#include <X11/Xlib.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/x11/X11Screen.h"
#include "shell/SaverBackend.h"

// The saver on X11: in the window that xscreensaver lends through
// XSCREENSAVER_WINDOW, or else a window of its own over every monitor, following
// the monitors as they come, go and change. Its events are handled in X11Events.cpp.
class CX11Saver : public ISaverBackend {
  public:
    explicit CX11Saver(std::unique_ptr<CX11Connection> connection);
    ~CX11Saver() override;
    CX11Saver(const CX11Saver&) = delete;
    CX11Saver& operator=(const CX11Saver&) = delete;

    // The window lent through XSCREENSAVER_WINDOW (`lent`). One that cannot be
    // drawn in is as good as gone: the run ends with 0, as xscreensaver expects.
    void DrawInLentWindow(const char* lent);
    // A window over every monitor, also those that come while the saver runs.
    void CoverEveryMonitor();

    std::vector<ISaverScreen*> Screens() override;
    void Pump(std::vector<SaverEvent>& events) override;
    void WaitUntil(PaceTime deadline) override;

  private:
    bool DispatchQueued(std::vector<SaverEvent>& events);
    bool TakeExposures();
    void FollowMonitors();

    std::unique_ptr<CX11Connection> m_connection;
    Display* m_display;
    bool m_bCovering = false;  // the windows are the saver's own, one over each monitor
    bool m_bSettling = false;  // the monitors were followed at the last pump
    std::vector<std::unique_ptr<CX11Screen>> m_screens;
    std::optional<SaverEvent::Kind> m_startFailure;  // a screen that could not be made, told at the next pump
};

// The saver on the display of `connection`, in xscreensaver's window where it lends one.
std::unique_ptr<ISaverBackend> OpenX11Saver(std::unique_ptr<CX11Connection> connection);
