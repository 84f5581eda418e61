#include "platform/linux/IdleMode.h"

#include <poll.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/dbus/DbusHolds.h"
#include "platform/dbus/DbusIdle.h"
#include "platform/linux/IdleMinutes.h"
#include "platform/linux/SessionDisplay.h"
#include "platform/linux/SessionLock.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/RunningProgram.h"
#include "platform/posix/StopSignals.h"
#include "platform/wayland/WaylandIdle.h"
#include "platform/x11/X11Idle.h"
#include "settings/NumberText.h"
#include "shell/RunOptions.h"

namespace {

constexpr const char* kNoMonitor = ", and GNOME's idle monitor is not on the session bus";

// The idle time on the X display, unless GNOME's idle monitor tells it.
std::unique_ptr<IIdleSource> OpenX11IdleSource(std::unique_ptr<CX11Connection> x11, std::string& missing) {
    if (auto source = OpenDbusIdle()) {
        return source;
    }
    X11IdleRefusal refusal = X11IdleRefusal::NoIdleTime;
    std::unique_ptr<IIdleSource> source = OpenX11Idle(std::move(x11), refusal);
    if (source) {
        return source;
    }
    switch (refusal) {
        case X11IdleRefusal::NoIdleTime:
            missing = std::string("this desktop reports no idle time: the X server has no IDLETIME counter") +
                      kNoMonitor;
            break;
        case X11IdleRefusal::XscreensaverRuns:
            missing =
                "xscreensaver watches this display and starts its own savers: two would fight (lucenta -i "
                "adds Lucenta to xscreensaver's list)";
            break;
    }
    return nullptr;
}

// The first source of the session's idle time; nullptr, with what is missing, when
// there is none. Under Wayland, Xwayland's idle time is never taken: Xwayland sees
// only the input of its own windows.
std::unique_ptr<IIdleSource> OpenIdleSource(const CSessionDisplay& session, std::string& missing) {
    CSessionDisplay::Connection display = session.Connect(missing);
    if (display.x11) {
        return OpenX11IdleSource(std::move(display.x11), missing);
    }
    if (!display.wayland) {
        return nullptr;
    }
    if (auto source = OpenWaylandIdle(std::move(display.wayland))) {
        return source;
    }
    if (auto source = OpenDbusIdle()) {
        return source;
    }
    missing = "this desktop reports no idle time: the Wayland compositor '" + session.WaylandSocket() +
              "' offers neither ext-idle-notify-v1 nor KDE's idle protocol" + kNoMonitor;
    return nullptr;
}

// What the watcher sleeps on: the stop signals (until it stops), the idle
// source, the buses, and the saver while it runs.
struct Connections {
    std::unique_ptr<IIdleSource> source;
    std::vector<std::unique_ptr<IIdleConnection>> holds;
};

std::vector<pollfd> WaitSet(Connections& connections, const CChildProcess& saver, bool stopping) {
    std::vector<pollfd> wait{
        {stopping ? -1 : StopSignalFd(), POLLIN, 0}, {saver.Fd(), POLLIN, 0}, connections.source->WaitFor()};
    for (const auto& holds : connections.holds) {
        wait.push_back(holds->WaitFor());
    }
    return wait;
}

// Pumps every connection; a bus that goes is dropped (its holds let go). False
// when the idle source is lost.
bool Pump(Connections& connections, std::vector<IdleEvent>& events) {
    if (!connections.source->Pump(events)) {
        return false;
    }
    for (auto holds = connections.holds.begin(); holds != connections.holds.end();) {
        holds = (*holds)->Pump(events) ? holds + 1 : connections.holds.erase(holds);
    }
    return true;
}

// Sleeps only once nothing is left to handle: what the watcher does with events
// (a new period armed) may bring answers and events of its own.
int Watch(Connections& connections, CChildProcess& saver, CIdleWatcher& watcher) {
    watcher.Start();
    for (;;) {
        std::vector<IdleEvent> events;
        if (!Pump(connections, events)) {
            return 1;  // the display went: the saver, if any, ends with the watcher
        }
        for (const IdleEvent& told : events) {
            watcher.Handle(told);
        }
        if (watcher.Finished()) {
            return 0;
        }
        if (!events.empty()) {
            continue;
        }
        std::vector<pollfd> wait = WaitSet(connections, saver, StopRequested());
        // No timeout but a saver's patience: the connections wake it.
        poll(wait.data(), wait.size(), saver.PatienceLeft());
        saver.KillWhenOverdue();
        if (StopRequested()) {
            watcher.Stop();
        }
        if ((wait[1].revents & POLLIN) != 0) {
            watcher.SaverEnded(saver.Reap());
        }
    }
}

}  // namespace

std::optional<IdleOptions> ParseIdleOptions(int argc, const char* const* argv, std::string& error) {
    IdleOptions options;
    const std::string_view minutes = argc > 2 ? argv[2] : "";
    const std::optional<double> number = ParseIdleMinutes(minutes);
    options.off = minutes == "off";
    if (!options.off && !number) {
        error = "--idle takes a number of minutes above 0 and at most " +
                std::to_string(static_cast<int>(kMaxIdleMinutes)) + ", such as 5, or off";
        return std::nullopt;
    }
    options.timeout = std::chrono::milliseconds(options.off ? 0 : std::llround(*number * 60000));
    const std::vector<std::string_view> words(argv + std::min(argc, 3), argv + argc);
    const ProgramOption x11{"--x11", false, [](std::string_view, std::string&) { return true; }};
    if (!ParseRunOptions(words, {x11}, UnknownWords::Refused, error)) {
        return std::nullopt;
    }
    if (options.off && !words.empty()) {
        error = "--idle off takes no saver options";
        return std::nullopt;
    }
    options.saverWords.assign(words.begin(), words.end());
    return options;
}

namespace {

// lucenta --idle off: the session's watcher ends, whichever holds it now.
int EndSessionWatcher(CSessionLock& lock) {
    pid_t ended = 0;
    std::string reason;
    lock.MarkOff();
    if (!lock.EndHolder(ended, reason)) {
        std::fprintf(stderr, "lucenta: %s\n", reason.c_str());
        return 1;
    }
    std::printf(ended > 0 ? "The idle watcher of this session (process %d) has ended.\n"
                          : "No idle watcher runs in this session.\n",
                static_cast<int>(ended));
    return 0;
}

// The watcher's connections, open before it replaces the session's watcher: one
// that cannot watch leaves the running one alone.
std::optional<Connections> OpenConnections(const CSessionDisplay& session, std::string& reason) {
    Connections connections{OpenIdleSource(session, reason), {}};
    if (!connections.source) {
        return std::nullopt;
    }
    for (auto* watch : {&WatchSessionBusHolds, &WatchSystemBusHolds}) {
        if (auto holds = watch()) {
            connections.holds.push_back(std::move(holds));
        }
    }
    return connections;
}

}  // namespace

// The watcher watches the session's own display; --x11 is for the savers it starts.
int RunIdleMode(const IdleOptions& options) {
    const CSessionDisplay session = CSessionDisplay::FromEnvironment(false);
    std::string reason;
    std::unique_ptr<CSessionLock> lock = CSessionLock::BeginChange(session.Key(), reason);
    if (lock && options.off) {
        return EndSessionWatcher(*lock);
    }
    if (lock && lock->OffCameLater()) {
        std::fprintf(stderr, "lucenta: lucenta --idle off, started after this watcher, ends it\n");
        return 0;
    }
    std::optional<Connections> connections = lock ? OpenConnections(session, reason) : std::nullopt;
    pid_t replaced = 0;
    if (!connections || !lock->EndHolder(replaced, reason) || !lock->Take(reason)) {
        std::fprintf(stderr, "lucenta: %s\n", reason.c_str());
        return 1;
    }
    SetStopPatience(kChildEndPatience + std::chrono::seconds(1));
    std::vector<std::string> arguments{"-s"};
    arguments.insert(arguments.end(), options.saverWords.begin(), options.saverWords.end());
    CChildProcess saver(RunningProgramPath(), arguments);
    CIdleWatcher watcher(options.timeout, *connections->source, saver);
    return Watch(*connections, saver, watcher);
}
