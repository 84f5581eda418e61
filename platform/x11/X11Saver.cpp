#include "platform/x11/X11Saver.h"

#include <cstdio>
#include <cstdlib>

#include "platform/posix/InputWait.h"
#include "platform/x11/X11Events.h"
#include "platform/x11/X11Monitors.h"

CX11Saver::CX11Saver(std::unique_ptr<CX11Connection> connection)
    : m_connection(std::move(connection)), m_display(m_connection->Get()) {}

CX11Saver::~CX11Saver() {
    m_screens.clear();  // the windows go before the connection
}

void CX11Saver::DrawInLentWindow(const char* lent) {
    const std::optional<Window> window = ParseWindowId(lent);
    if (!window) {
        std::fprintf(stderr, "lucenta: XSCREENSAVER_WINDOW=%s names no window\n", lent);
    }
    std::unique_ptr<CX11Screen> screen = window ? CX11Screen::Lend(*m_connection, *window) : nullptr;
    if (!screen) {
        m_startFailure = SaverEvent::Kind::ScreenGone;
        return;
    }
    m_screens.push_back(std::move(screen));
}

void CX11Saver::CoverEveryMonitor() {
    m_bCovering = true;
    WatchMonitors(m_display);
    FollowMonitors();
}

std::vector<ISaverScreen*> CX11Saver::Screens() {
    std::vector<ISaverScreen*> screens;
    for (const auto& screen : m_screens) {
        screens.push_back(screen.get());
    }
    return screens;
}

void CX11Saver::WaitUntil(PaceTime deadline) {
    if (XEventsQueued(m_display, QueuedAfterFlush) == 0) {
        WaitForInput(ConnectionNumber(m_display), deadline);
    }
}

// Each monitor keeps its window, in RandR's order, moved and sized to match;
// a monitor that comes gets one, and the windows of those that went go.
void CX11Saver::FollowMonitors() {
    const std::vector<XRectangle> monitors = Monitors(m_display);
    if (m_screens.size() > monitors.size()) {
        m_screens.resize(monitors.size());
    }
    for (std::size_t k = 0; k < monitors.size(); ++k) {
        if (k < m_screens.size()) {
            m_screens[k]->MoveTo(monitors[k]);
        } else if (auto screen = CX11Screen::Cover(*m_connection, monitors[k], k == 0)) {
            m_screens.push_back(std::move(screen));
        } else {
            m_startFailure = SaverEvent::Kind::SetupFailed;
            return;
        }
    }
}

std::unique_ptr<ISaverBackend> OpenX11Saver(std::unique_ptr<CX11Connection> connection) {
    auto saver = std::make_unique<CX11Saver>(std::move(connection));
    if (const char* lent = std::getenv("XSCREENSAVER_WINDOW"); lent != nullptr && lent[0] != '\0') {
        saver->DrawInLentWindow(lent);
    } else {
        saver->CoverEveryMonitor();
    }
    return saver;
}
