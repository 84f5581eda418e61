#include "platform/linux/IdleMode.h"

#include <poll.h>

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/dbus/DbusHolds.h"
#include "platform/dbus/DbusIdle.h"
#include "platform/linux/SessionWatch.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/RunningProgram.h"
#include "platform/posix/StopSignals.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandIdle.h"
#include "platform/x11/X11Idle.h"
#include "settings/NumberText.h"
#include "shell/RunOptions.h"

namespace {

constexpr double kMaxMinutes = 24 * 60;

// The first source of the idle time that the session offers; nullptr, with what
// is missing, when it offers none.
std::unique_ptr<IIdleSource> OpenIdleSource(std::string& missing) {
    const bool wayland = WaylandDisplayNamed();
    if (auto source = wayland ? OpenWaylandIdle() : nullptr) {
        return source;
    }
    if (auto source = OpenDbusIdle()) {
        return source;
    }
    const char* noMonitor = ", and GNOME's idle monitor is not on the session bus";
    if (wayland) {  // Xwayland does not see Wayland's input: its idle time would be useless
        missing = std::string(
                      "this desktop reports no idle time: the Wayland compositor offers neither "
                      "ext-idle-notify-v1 nor KDE's idle protocol") +
                  noMonitor;
        return nullptr;
    }
    X11IdleRefusal refusal = X11IdleRefusal::Opened;
    std::unique_ptr<IIdleSource> source = OpenX11Idle(refusal);
    switch (refusal) {
        case X11IdleRefusal::Opened:
            break;
        case X11IdleRefusal::NoDisplay:
            missing = "there is neither a Wayland compositor nor an X display to watch";
            break;
        case X11IdleRefusal::NoIdleTime:
            missing = std::string("this desktop reports no idle time: the X server has no IDLETIME counter") +
                      noMonitor;
            break;
        case X11IdleRefusal::XscreensaverRuns:
            missing =
                "xscreensaver watches this display and starts its own savers: two would fight (lucenta -i "
                "adds Lucenta to xscreensaver's list)";
            break;
    }
    return source;
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
bool Pump(Connections& connections, std::vector<IdleNews>& news) {
    if (!connections.source->Pump(news)) {
        return false;
    }
    for (auto holds = connections.holds.begin(); holds != connections.holds.end();) {
        holds = (*holds)->Pump(news) ? holds + 1 : connections.holds.erase(holds);
    }
    return true;
}

// Sleeps only once nothing is left to handle: what the watcher does with news
// (a new period armed) may bring answers and news of its own.
int Watch(Connections& connections, CChildProcess& saver, CIdleWatcher& watcher) {
    watcher.Start();
    for (;;) {
        std::vector<IdleNews> news;
        if (!Pump(connections, news)) {
            return 1;  // the display went: the saver, if any, ends with the watcher
        }
        for (const IdleNews& told : news) {
            watcher.Notice(told);
        }
        if (watcher.Finished()) {
            return 0;
        }
        if (!news.empty()) {
            continue;
        }
        std::vector<pollfd> wait = WaitSet(connections, saver, StopRequested());
        poll(wait.data(), wait.size(), -1);  // no timeout: the connections wake it
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
    const std::optional<double> number = ParseWholeNumber(minutes);
    options.off = minutes == "off";
    if (!options.off && !(number && *number > 0 && *number <= kMaxMinutes)) {
        error = "--idle takes a number of minutes above 0 and at most 1440, such as 5, or off";
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

int RunIdleMode(const IdleOptions& options) {
    std::string reason;
    std::unique_ptr<CSessionWatch> session = CSessionWatch::Take(reason);
    if (!session || options.off) {
        if (session) {
            std::printf(session->Replaced() > 0 ? "The idle watcher of this session (process %d) has ended.\n"
                                                : "No idle watcher runs in this session.\n",
                        static_cast<int>(session->Replaced()));
        } else {
            std::fprintf(stderr, "lucenta: %s\n", reason.c_str());
        }
        return session ? 0 : 1;
    }
    Connections connections{OpenIdleSource(reason), {}};
    if (!connections.source) {
        std::fprintf(stderr, "lucenta: %s\n", reason.c_str());
        return 1;
    }
    for (auto* watch : {&WatchSessionBusHolds, &WatchSystemBusHolds}) {
        if (auto holds = watch()) {
            connections.holds.push_back(std::move(holds));
        }
    }
    std::vector<std::string> arguments{"-s"};
    arguments.insert(arguments.end(), options.saverWords.begin(), options.saverWords.end());
    CChildProcess saver(RunningProgramPath(), arguments);
    CIdleWatcher watcher(options.timeout, *connections.source, saver);
    return Watch(connections, saver, watcher);
}
