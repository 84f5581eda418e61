#include "platform/x11/XSaver.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/linux/StopSignals.h"
#include "platform/x11/XMonitors.h"
#include "platform/x11/XSaverWindow.h"
#include "shell/SaverInput.h"

namespace {

// The longest wait without a look at the windows' idle work (the grabs' retries).
constexpr std::chrono::milliseconds kIdleSlice(50);

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

// The windows of one run and the loop that drives them: events are handled as
// they come, never paced; rows are drawn one at a time when unpaced, else at each
// window's frames.
class CXSaver {
  public:
    explicit CXSaver(Display* display) : m_display(display) {}

    bool Adopt(Window window, std::optional<int> speed) {
        auto drawing = std::make_unique<CXDrawWindow>(m_display, speed);
        const bool adopted = drawing->Adopt(window);
        m_windows.push_back(std::move(drawing));
        return adopted;
    }

    // A window over every monitor, also those that come while the saver runs.
    bool CoverEveryMonitor(std::optional<int> speed) {
        m_speed = speed;
        m_bCovering = true;
        WatchMonitors(m_display);
        return FollowMonitors();
    }

    int Run() {
        const bool paced = m_windows.front()->Paced();
        while (!Ending()) {
            if (paced) {
                WaitUntil(NextFrame());
                Pump();
                DrawDueFrames();
            } else {
                DrawOneRowEach();
                Pump();
            }
        }
        const bool failed = std::any_of(m_windows.begin(), m_windows.end(),
                                        [](const auto& w) { return w->Failed() && !w->Adopted(); });
        return failed ? 1 : 0;
    }

  private:
    bool Ending() const {
        return StopRequested() || DrawnWindowGone() ||
               std::any_of(m_windows.begin(), m_windows.end(), [](const auto& w) { return w->Ending(); });
    }

    PaceTime NextFrame() const {
        PaceTime next = PaceNow() + kIdleSlice;
        for (const auto& window : m_windows) {
            if (window->Drawing()) {
                next = std::min(next, window->NextFrame());
            }
        }
        return next;
    }

    // Sleeps until the deadline, or less when an event or a stop signal comes.
    void WaitUntil(PaceTime deadline) const {
        if (XEventsQueued(m_display, QueuedAfterFlush) > 0) {
            return;
        }
        const PaceTime left = std::max(deadline - PaceNow(), PaceTime(0));
        const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                               static_cast<long>(left.count() % 1000000000)};
        pollfd sources[2] = {{ConnectionNumber(m_display), POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
        ppoll(sources, StopSignalFd() >= 0 ? 2 : 1, &timeout, nullptr);
    }

    void Pump() {
        bool monitorsChanged = false;
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            monitorsChanged = ChangesMonitors(m_display, event) || monitorsChanged;
            for (const auto& window : m_windows) {
                if (event.xany.window == window->Id()) {
                    window->Dispatch(event);
                }
            }
        }
        if (monitorsChanged && m_bCovering) {
            FollowMonitors();
        }
        for (const auto& window : m_windows) {
            window->ApplyPendingSize();
            window->OnIdle();
        }
    }

    void DrawDueFrames() {
        const PaceTime now = PaceNow();
        for (const auto& window : m_windows) {
            if (window->Drawing() && window->NextFrame() <= now && !Ending()) {
                window->DrawFrame(now);
            }
        }
    }

    void DrawOneRowEach() {
        bool drew = false;
        for (const auto& window : m_windows) {
            if (window->Drawing() && !Ending()) {
                window->DrawRow();
                drew = true;
            }
        }
        if (!drew) {
            WaitUntil(PaceNow() + kIdleSlice);  // nothing to draw before the first exposure
        }
    }

    // Each monitor keeps its window, in RandR's order, moved and sized to match;
    // a monitor that comes gets one, and the windows of those that went go.
    bool FollowMonitors() {
        const std::vector<XRectangle> monitors = Monitors(m_display);
        if (m_windows.size() > monitors.size()) {
            m_windows.resize(monitors.size());
        }
        for (std::size_t k = 0; k < monitors.size(); ++k) {
            if (k < m_windows.size()) {
                static_cast<CXSaverWindow&>(*m_windows[k]).Cover(monitors[k]);
                continue;
            }
            auto saver = std::make_unique<CXSaverWindow>(m_display, m_speed, m_input);
            const bool created = saver->CreateFullScreen(monitors[k], k == 0);
            m_windows.push_back(std::move(saver));
            if (!created) {
                return false;
            }
        }
        return true;
    }

    Display* m_display;
    std::optional<int> m_speed;
    bool m_bCovering = false;  // the windows are the saver's own, one over each monitor
    CSaverInput m_input;       // one mouse rule across all the windows
    std::vector<std::unique_ptr<CXDrawWindow>> m_windows;
};

int RunLent(Display* display, const char* lent, std::optional<int> speed) {
    const std::optional<Window> window = ParseWindowId(lent);
    if (!window) {
        std::fprintf(stderr, "lucenta: XSCREENSAVER_WINDOW=%s names no window\n", lent);
        return 0;
    }
    CXSaver saver(display);
    return saver.Adopt(*window, speed) ? saver.Run() : 0;
}

// Xlib ends the program when the connection is lost; this says so in the
// program's own words first, with the status of any other failure.
extern "C" int OnDisplayLost(Display*) {
    std::fprintf(stderr, "lucenta: the connection to the X server was lost\n");
    _exit(1);
}

}  // namespace

std::optional<int> RunX11Saver(std::optional<int> speed) {
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) {
        return std::nullopt;
    }
    XSetIOErrorHandler(OnDisplayLost);
    if (const char* lent = std::getenv("XSCREENSAVER_WINDOW"); lent != nullptr && lent[0] != '\0') {
        return RunLent(display.get(), lent, speed);
    }
    CXSaver saver(display.get());
    return saver.CoverEveryMonitor(speed) ? saver.Run() : 1;
}
