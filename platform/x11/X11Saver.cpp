#include "platform/x11/X11Saver.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/InputWait.h"
#include "platform/posix/StopSignals.h"
#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11Screen.h"

namespace {

// xscreensaver passes the window as "0x..."; a decimal id is taken too.
std::optional<Window> ParseWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const unsigned long long id = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno != 0 || id == 0 || id > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<Window>(id);
}

class CX11Saver : public ISaverBackend {
  public:
    CX11Saver(Display* display, const SettingsOverrides& settings)
        : m_display(display), m_settings(settings) {
        CX11Screen::HandleXErrors();
    }
    ~CX11Saver() override {
        m_screens.clear();  // the windows go before the connection
        XCloseDisplay(m_display);
    }
    CX11Saver(const CX11Saver&) = delete;
    CX11Saver& operator=(const CX11Saver&) = delete;

    // The window lent through XSCREENSAVER_WINDOW. One that cannot be drawn in is
    // as good as gone: the run ends with 0, as xscreensaver expects of a hack.
    void DrawInLentWindow(const char* lent) {
        const std::optional<Window> window = ParseWindowId(lent);
        if (!window) {
            std::fprintf(stderr, "lucenta: XSCREENSAVER_WINDOW=%s names no window\n", lent);
        }
        std::unique_ptr<CX11Screen> screen =
            window ? CX11Screen::Lend(m_display, *window, m_settings) : nullptr;
        if (!screen) {
            m_startFailure = SaverEvent::Kind::ScreenGone;
            return;
        }
        m_screens.push_back(std::move(screen));
    }

    // A window over every monitor, also those that come while the saver runs.
    void CoverEveryMonitor() {
        m_bCovering = true;
        WatchMonitors(m_display);
        FollowMonitors();
    }

    std::vector<ISaverScreen*> Screens() override {
        std::vector<ISaverScreen*> screens;
        for (const auto& screen : m_screens) {
            screens.push_back(screen.get());
        }
        return screens;
    }

    void Pump(CSaverEndJudge& judge) override {
        if (m_startFailure) {
            judge.Notice(SaverEvent::Of(*m_startFailure));
        }
        bool changed = DispatchQueued(judge);
        bool exposed = TakeExposures();
        if (m_bCovering && (exposed || m_bSettling)) {
            // Everything the server did before its answer, whatever caused it, is in then.
            XSync(m_display, False);
            changed = DispatchQueued(judge) || changed;
            exposed = TakeExposures() || exposed;
        }
        // An exposure means another window passed over the picture, unless the screen
        // changes: the server exposes the windows as it changes the screen, and as
        // the saver follows it.
        if (exposed && !changed && !m_bSettling) {
            judge.Notice(SaverEvent::Of(SaverEvent::Kind::Exposed));
        }
        m_bSettling = changed && m_bCovering;
        if (m_bSettling) {
            FollowMonitors();
        }
        for (const auto& screen : m_screens) {
            screen->Settle(judge);
        }
        if (CX11Screen::AWindowWentAway()) {
            judge.Notice(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
        }
        if (StopRequested()) {
            judge.Notice(SaverEvent::Of(SaverEvent::Kind::Signal));
        }
    }

    void WaitUntil(PaceTime deadline) override {
        if (XEventsQueued(m_display, QueuedAfterFlush) == 0) {
            WaitForInput(ConnectionNumber(m_display), deadline);
        }
    }

  private:
    // Handles the events that have arrived; true when the screen or its monitors changed.
    bool DispatchQueued(CSaverEndJudge& judge) {
        bool changed = false;
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            changed = ChangesMonitors(m_display, event) || changed;
            for (const auto& screen : m_screens) {
                if (event.xany.window == screen->Id()) {
                    screen->Dispatch(event, judge);
                }
            }
        }
        return changed;
    }

    bool TakeExposures() {
        bool exposed = false;
        for (const auto& screen : m_screens) {
            exposed = screen->TakeExposure() || exposed;
        }
        return exposed;
    }

    // Each monitor keeps its window, in RandR's order, moved and sized to match;
    // a monitor that comes gets one, and the windows of those that went go.
    void FollowMonitors() {
        const std::vector<XRectangle> monitors = Monitors(m_display);
        if (m_screens.size() > monitors.size()) {
            m_screens.resize(monitors.size());
        }
        for (std::size_t k = 0; k < monitors.size(); ++k) {
            if (k < m_screens.size()) {
                m_screens[k]->MoveTo(monitors[k]);
            } else if (auto screen = CX11Screen::Cover(m_display, monitors[k], k == 0, m_settings)) {
                m_screens.push_back(std::move(screen));
            } else {
                m_startFailure = SaverEvent::Kind::SetupFailed;
                return;
            }
        }
    }

    Display* m_display;
    SettingsOverrides m_settings;
    bool m_bCovering = false;  // the windows are the saver's own, one over each monitor
    bool m_bSettling = false;  // the monitors were followed at the last pump
    std::vector<std::unique_ptr<CX11Screen>> m_screens;
    std::optional<SaverEvent::Kind> m_startFailure;  // a screen that could not be made, told at the next pump
};

}  // namespace

std::unique_ptr<ISaverBackend> OpenX11Saver(const SettingsOverrides& settings) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    auto saver = std::make_unique<CX11Saver>(display, settings);
    if (const char* lent = std::getenv("XSCREENSAVER_WINDOW"); lent != nullptr && lent[0] != '\0') {
        saver->DrawInLentWindow(lent);
    } else {
        saver->CoverEveryMonitor();
    }
    return saver;
}
