#include "platform/dbus/DbusHolds.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/dbus/DbusConnection.h"
#include "platform/dbus/ScreenSaverService.h"

namespace {

// Each holder and each lock has a bit of its own.
constexpr unsigned kHeldByLogind = 1u << 0;
constexpr unsigned kHeldByGnomeSession = 1u << 1;
constexpr unsigned kHeldByPowerDevil = 1u << 2;
constexpr unsigned kHeldByScreenSaverCallers = 1u << 3;
constexpr unsigned kLockedByLogind = 1u << 0;
constexpr unsigned kLockedByGnome = 1u << 1;
constexpr unsigned kLockedByScreenSaver = 1u << 2;

constexpr std::uint32_t kGnomeIdleFlag = 8;         // gnome-session: "inhibit the session being marked idle"
constexpr std::uint32_t kPowerDevilScreenFlag = 4;  // PowerDevil: "ChangeScreenSettings"

constexpr char kLogin1[] = "org.freedesktop.login1";
constexpr char kPowerDevil[] = "org.kde.Solid.PowerManagement.PolicyAgent";
constexpr char kPowerDevilPath[] = "/org/kde/Solid/PowerManagement/PolicyAgent";

IdleEvent HoldEvent(unsigned holder, bool on) {
    return IdleEvent::Of(on ? IdleEvent::Kind::HeldOff : IdleEvent::Kind::Released, holder);
}

IdleEvent LockEvent(unsigned lock, bool on) {
    return IdleEvent::Of(on ? IdleEvent::Kind::Locked : IdleEvent::Kind::Unlocked, lock);
}

// The bus's connection, and its holds: when the bus goes, they go with it.
class CBusHolds : public IIdleConnection {
  public:
    CBusHolds(std::unique_ptr<CDbusConnection> bus, unsigned holders, unsigned locks)
        : m_bus(std::move(bus)), m_holders(holders), m_locks(locks) {}

    CDbusConnection& Bus() { return *m_bus; }
    void Serve(std::unique_ptr<CScreenSaverService> service) { m_service = std::move(service); }
    // What the bus's handlers tell, handed on at the next pump.
    void Report(const IdleEvent& event) { m_told.push_back(event); }

    pollfd WaitFor() override { return m_bus->WaitFor(); }
    bool Pump(std::vector<IdleEvent>& events) override {
        const bool connected = m_bus->Process();
        events.insert(events.end(), m_told.begin(), m_told.end());
        m_told.clear();
        if (!connected) {
            events.push_back(HoldEvent(m_holders, false));
            events.push_back(LockEvent(m_locks, false));
        }
        return connected;
    }

  private:
    std::unique_ptr<CDbusConnection> m_bus;
    std::vector<IdleEvent> m_told;
    std::unique_ptr<CScreenSaverService> m_service;
    unsigned m_holders;
    unsigned m_locks;
};

// The state is told as the program that owns the name sends it, and once now.
// Nothing is asked of a name that nobody owns: the bus would start its service.
void WatchActiveChanged(CBusHolds& holds, const char* name, const char* path, unsigned lock) {
    CDbusConnection& bus = holds.Bus();
    bus.WatchSignal(name, path, name, "ActiveChanged", [&holds, lock](sd_bus_message* message) {
        int active = 0;
        if (sd_bus_message_read(message, "b", &active) >= 0) {
            holds.Report(LockEvent(lock, active != 0));
        }
    });
    sd_bus_message* reply = bus.HasOwner(name) ? bus.Call(name, path, name, "GetActive") : nullptr;
    int active = 0;
    if (reply != nullptr && sd_bus_message_read(reply, "b", &active) >= 0) {
        holds.Report(LockEvent(lock, active != 0));
    }
    sd_bus_message_unref(reply);
}

void WatchGnomeSession(CBusHolds& holds) {
    CDbusConnection& bus = holds.Bus();
    bus.WatchProperty("org.gnome.SessionManager", "/org/gnome/SessionManager", "org.gnome.SessionManager",
                      "InhibitedActions", [&bus, &holds] {
                          std::uint32_t flags = 0;
                          bus.ReadProperty("org.gnome.SessionManager", "/org/gnome/SessionManager",
                                           "org.gnome.SessionManager", "InhibitedActions", 'u', &flags);
                          holds.Report(HoldEvent(kHeldByGnomeSession, (flags & kGnomeIdleFlag) != 0));
                      });
}

void WatchPowerDevil(CBusHolds& holds) {
    CDbusConnection& bus = holds.Bus();
    const auto ask = [&bus, &holds] {
        sd_bus_message* reply = bus.HasOwner(kPowerDevil)
                                    ? bus.Call(kPowerDevil, kPowerDevilPath, kPowerDevil, "HasInhibition",
                                               "u", kPowerDevilScreenFlag)
                                    : nullptr;
        int held = 0;
        if (reply != nullptr && sd_bus_message_read(reply, "b", &held) < 0) {
            held = 0;
        }
        sd_bus_message_unref(reply);
        holds.Report(HoldEvent(kHeldByPowerDevil, held != 0));
    };
    bus.WatchSignal(kPowerDevil, kPowerDevilPath, kPowerDevil, "InhibitionsChanged",
                    [ask](sd_bus_message*) { ask(); });
    ask();
}

// The session this program runs in: the one XDG_SESSION_ID names, else its own
// process's; empty when logind knows of none.
std::string SessionPath(CDbusConnection& bus) {
    const char* id = std::getenv("XDG_SESSION_ID");
    sd_bus_message* reply =
        id != nullptr && id[0] != '\0'
            ? bus.Call(kLogin1, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "GetSession",
                       "s", id)
            : bus.Call(kLogin1, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                       "GetSessionByPID", "u", static_cast<std::uint32_t>(getpid()));
    const char* path = nullptr;
    const std::string session = reply != nullptr && sd_bus_message_read(reply, "o", &path) >= 0 ? path : "";
    sd_bus_message_unref(reply);
    return session;
}

bool HoldsIdle(const std::string& what) {
    return (":" + what + ":").find(":idle:") != std::string::npos;
}

void WatchLogind(CBusHolds& holds) {
    CDbusConnection& bus = holds.Bus();
    bus.WatchProperty(kLogin1, "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "BlockInhibited",
                      [&bus, &holds] {
                          const auto what = bus.ReadText(kLogin1, "/org/freedesktop/login1",
                                                         "org.freedesktop.login1.Manager", "BlockInhibited");
                          holds.Report(HoldEvent(kHeldByLogind, what && HoldsIdle(*what)));
                      });
    const std::string session = SessionPath(bus);
    if (session.empty()) {
        return;
    }
    bus.WatchProperty(kLogin1, session.c_str(), "org.freedesktop.login1.Session", "LockedHint",
                      [&bus, &holds, session] {
                          int locked = 0;
                          bus.ReadProperty(kLogin1, session.c_str(), "org.freedesktop.login1.Session",
                                           "LockedHint", 'b', &locked);
                          holds.Report(LockEvent(kLockedByLogind, locked != 0));
                      });
    bus.WatchSignal(
        kLogin1, session.c_str(), "org.freedesktop.login1.Session", "Lock",
        [&bus, &holds](sd_bus_message*) { holds.Report(IdleEvent::Of(IdleEvent::Kind::LockRequested)); });
}

}  // namespace

std::unique_ptr<IIdleConnection> WatchSessionBusHolds() {
    std::unique_ptr<CDbusConnection> bus = CDbusConnection::Open(CDbusConnection::Bus::Session);
    if (!bus) {
        return nullptr;
    }
    auto holds = std::make_unique<CBusHolds>(
        std::move(bus), kHeldByGnomeSession | kHeldByPowerDevil | kHeldByScreenSaverCallers,
        kLockedByGnome | kLockedByScreenSaver);
    WatchGnomeSession(*holds);
    WatchPowerDevil(*holds);
    WatchActiveChanged(*holds, "org.gnome.ScreenSaver", "/org/gnome/ScreenSaver", kLockedByGnome);
    // Asked before the name is this watcher's: a program that serves it for real tells the lock.
    WatchActiveChanged(*holds, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                       kLockedByScreenSaver);
    CBusHolds* told = holds.get();
    holds->Serve(CScreenSaverService::Serve(holds->Bus(), kHeldByScreenSaverCallers,
                                            [told](const IdleEvent& event) { told->Report(event); }));
    return holds;
}

std::unique_ptr<IIdleConnection> WatchSystemBusHolds() {
    std::unique_ptr<CDbusConnection> bus = CDbusConnection::Open(CDbusConnection::Bus::System);
    if (!bus) {
        return nullptr;
    }
    auto holds = std::make_unique<CBusHolds>(std::move(bus), kHeldByLogind, kLockedByLogind);
    WatchLogind(*holds);
    return holds;
}
