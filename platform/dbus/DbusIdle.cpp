#include "platform/dbus/DbusIdle.h"

#include <cstdio>
#include <string_view>

#include "platform/dbus/DbusConnection.h"

namespace {

constexpr char kMonitor[] = "org.gnome.Mutter.IdleMonitor";
constexpr char kCore[] = "/org/gnome/Mutter/IdleMonitor/Core";

class CDbusIdle : public IIdleSource {
  public:
    explicit CDbusIdle(std::unique_ptr<CDbusConnection> bus) : m_bus(std::move(bus)) {
        m_bus->WatchSignal(kMonitor, kCore, kMonitor, "WatchFired", [this](sd_bus_message* message) {
            std::uint32_t id = 0;
            if (sd_bus_message_read(message, "u", &id) >= 0) {
                OnWatchFired(id);
            }
        });
    }

    // The monitor's idle time is the time since the last input. A period from now
    // ends at what it counts now and the timeout, unless input comes first (the
    // user-active watch): the period starts over from that input.
    void Arm(std::chrono::milliseconds timeout, PeriodFrom from) override {
        m_timeout = timeout;
        m_bIdle = false;
        Remove(m_idleWatch);
        Remove(m_activeWatch);
        const std::uint64_t idle = IdleTime();
        const auto milliseconds = static_cast<std::uint64_t>(timeout.count());
        if (from == PeriodFrom::LastInput && idle >= milliseconds) {
            BecomeIdle();
            return;
        }
        const std::uint64_t start = from == PeriodFrom::Now ? idle : 0;
        m_idleWatch = AddWatch("AddIdleWatch", start + milliseconds);
        if (start > 0) {
            m_activeWatch = AddWatch("AddUserActiveWatch", 0);
        }
    }
    pollfd WaitFor() override { return m_bus->WaitFor(); }
    bool Pump(std::vector<IdleEvent>& events) override {
        const bool connected = m_bus->Process();
        events.insert(events.end(), m_told.begin(), m_told.end());
        m_told.clear();
        if (connected) {
            return true;
        }
        std::fprintf(stderr, "lucenta: the connection to GNOME's idle monitor on the session bus was lost\n");
        return false;
    }

  private:
    std::uint64_t IdleTime() {
        sd_bus_message* reply = m_bus->Call(kMonitor, kCore, kMonitor, "GetIdletime");
        std::uint64_t idle = 0;
        if (reply != nullptr && sd_bus_message_read(reply, "t", &idle) < 0) {
            idle = 0;
        }
        sd_bus_message_unref(reply);
        return idle;
    }
    void BecomeIdle() {
        m_bIdle = true;
        Remove(m_idleWatch);
        if (m_activeWatch == 0) {
            m_activeWatch = AddWatch("AddUserActiveWatch", 0);
        }
        m_told.push_back(IdleEvent::Of(IdleEvent::Kind::Idle));
    }
    // An idle watch fires each time the idle time reaches its interval; a
    // user-active watch fires once, at the next input.
    void OnWatchFired(std::uint32_t id) {
        if (id != 0 && id == m_idleWatch && !m_bIdle) {
            BecomeIdle();
        } else if (id != 0 && id == m_activeWatch) {
            m_activeWatch = 0;
            if (m_bIdle) {
                m_told.push_back(IdleEvent::Of(IdleEvent::Kind::Active));
            }
            m_bIdle = false;
            Remove(m_idleWatch);
            m_idleWatch = AddWatch("AddIdleWatch", static_cast<std::uint64_t>(m_timeout.count()));
        }
    }
    std::uint32_t AddWatch(const char* method, std::uint64_t interval) {
        sd_bus_message* reply = method == std::string_view("AddIdleWatch")
                                    ? m_bus->Call(kMonitor, kCore, kMonitor, method, "t", interval)
                                    : m_bus->Call(kMonitor, kCore, kMonitor, method);
        std::uint32_t id = 0;
        if (reply != nullptr && sd_bus_message_read(reply, "u", &id) < 0) {
            id = 0;
        }
        sd_bus_message_unref(reply);
        return id;
    }
    void Remove(std::uint32_t& watch) {
        if (watch != 0) {
            sd_bus_message_unref(m_bus->Call(kMonitor, kCore, kMonitor, "RemoveWatch", "u", watch));
            watch = 0;
        }
    }

    std::unique_ptr<CDbusConnection> m_bus;
    std::vector<IdleEvent> m_told;  // what the monitor's signals told, handed on at the next pump
    std::chrono::milliseconds m_timeout{0};
    std::uint32_t m_idleWatch = 0;
    std::uint32_t m_activeWatch = 0;
    bool m_bIdle = false;
};

}  // namespace

std::unique_ptr<IIdleSource> OpenDbusIdle() {
    std::unique_ptr<CDbusConnection> bus = CDbusConnection::Open(CDbusConnection::Bus::Session);
    if (!bus || !bus->HasOwner(kMonitor)) {
        return nullptr;
    }
    return std::make_unique<CDbusIdle>(std::move(bus));
}
