#include "platform/x11/X11Events.h"

#include <cerrno>
#include <cstdlib>

#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11Saver.h"

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

bool LosesFocus(int mode, int detail) {
    return mode == NotifyNormal && detail != NotifyInferior && detail != NotifyPointer &&
           detail != NotifyPointerRoot;
}

std::optional<SaverEvent> InputEventOf(const XEvent& event, bool keyboardHeld) {
    switch (event.type) {
        case KeyPress:
            return SaverEvent::Key();
        case ButtonPress:
            return SaverEvent::Button();
        case MotionNotify:
            return SaverEvent::Move(event.xmotion.x_root, event.xmotion.y_root);
        case FocusOut:
            return LosesFocus(event.xfocus.mode, event.xfocus.detail)
                       ? std::optional<SaverEvent>(SaverEvent::FocusLost(keyboardHeld))
                       : std::nullopt;
        default:
            return std::nullopt;
    }
}

void CX11Saver::Pump(std::vector<SaverEvent>& events) {
    if (m_startFailure) {
        events.push_back(SaverEvent::Of(*m_startFailure));
    }
    bool changed = DispatchQueued(events);
    bool exposed = TakeExposures();
    if (m_bCovering && (exposed || m_bSettling)) {
        // Everything the server did before its answer, whatever caused it, is in then.
        XSync(m_display, False);
        changed = DispatchQueued(events) || changed;
        exposed = TakeExposures() || exposed;
    }
    // An exposure means another window passed over the picture, unless the screen
    // changes: the server exposes the windows as it changes the screen, and as the
    // saver follows it.
    if (exposed && !changed && !m_bSettling) {
        events.push_back(SaverEvent::Of(SaverEvent::Kind::Exposed));
    }
    m_bSettling = changed && m_bCovering;
    if (m_bSettling) {
        FollowMonitors();
    }
    for (const auto& screen : m_screens) {
        screen->FollowSize(events);
        screen->RetryGrabs();
    }
    if (m_connection->TakeWindowGone()) {
        events.push_back(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
    }
    if (m_connection->Lost()) {
        events.push_back(SaverEvent::Of(SaverEvent::Kind::DisplayLost));
    }
}

// Handles the events that have arrived; true when the screen or its monitors changed.
bool CX11Saver::DispatchQueued(std::vector<SaverEvent>& events) {
    bool changed = false;
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        changed = ChangesMonitors(m_display, event) || changed;
        for (const auto& screen : m_screens) {
            if (event.xany.window == screen->Id()) {
                screen->Dispatch(event, events);
            }
        }
    }
    return changed;
}

bool CX11Saver::TakeExposures() {
    bool exposed = false;
    for (const auto& screen : m_screens) {
        exposed = screen->TakeExposure() || exposed;
    }
    return exposed;
}
