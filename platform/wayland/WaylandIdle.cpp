#include "platform/wayland/WaylandIdle.h"

#include <cstring>

#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/ext-idle-notify-v1-client-protocol.h"
#include "platform/wayland/idle-client-protocol.h"

namespace {

class CWaylandIdle : public IIdleSource {
  public:
    explicit CWaylandIdle(WaylandDisplay display)
        : m_connection(std::move(display)), m_display(m_connection.get()) {}
    ~CWaylandIdle() override;
    CWaylandIdle(const CWaylandIdle&) = delete;
    CWaylandIdle& operator=(const CWaylandIdle&) = delete;

    // Learns the compositor's globals; false when it offers no idle protocol.
    bool Connect();

    void Arm(std::chrono::milliseconds timeout, PeriodFrom from) override;
    pollfd WaitFor() override;
    bool Pump(std::vector<IdleEvent>& events) override;

  private:
    void AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface);
    void DropNotification();
    void Report(IdleEvent::Kind kind) { m_events.push_back(IdleEvent::Of(kind)); }

    static const ext_idle_notification_v1_listener kNotificationListener;
    static const org_kde_kwin_idle_timeout_listener kKdeTimeoutListener;

    WaylandDisplay m_connection;
    wl_display* m_display;
    wl_registry* m_registry = nullptr;
    wl_seat* m_seat = nullptr;
    ext_idle_notifier_v1* m_notifier = nullptr;
    org_kde_kwin_idle* m_kdeIdle = nullptr;
    ext_idle_notification_v1* m_notification = nullptr;
    org_kde_kwin_idle_timeout* m_kdeTimeout = nullptr;
    std::vector<IdleEvent> m_events;
};

const ext_idle_notification_v1_listener CWaylandIdle::kNotificationListener = {
    [](void* self, ext_idle_notification_v1*) {
        static_cast<CWaylandIdle*>(self)->Report(IdleEvent::Kind::Idle);
    },
    [](void* self, ext_idle_notification_v1*) {
        static_cast<CWaylandIdle*>(self)->Report(IdleEvent::Kind::Active);
    },
};

const org_kde_kwin_idle_timeout_listener CWaylandIdle::kKdeTimeoutListener = {
    [](void* self, org_kde_kwin_idle_timeout*) {
        static_cast<CWaylandIdle*>(self)->Report(IdleEvent::Kind::Idle);
    },
    [](void* self, org_kde_kwin_idle_timeout*) {
        static_cast<CWaylandIdle*>(self)->Report(IdleEvent::Kind::Active);
    },
};

CWaylandIdle::~CWaylandIdle() {
    DropNotification();
    if (m_notifier != nullptr) {
        ext_idle_notifier_v1_destroy(m_notifier);
    }
    if (m_kdeIdle != nullptr) {
        org_kde_kwin_idle_destroy(m_kdeIdle);
    }
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_registry != nullptr) {
        wl_registry_destroy(m_registry);
    }
    wl_display_flush(m_display);
}

void CWaylandIdle::AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && m_seat == nullptr) {
        m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0) {
        // Version 1 only: the input-only notifications of later versions ignore inhibitors.
        m_notifier = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    } else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0) {
        m_kdeIdle = static_cast<org_kde_kwin_idle*>(
            wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    }
}

bool CWaylandIdle::Connect() {
    static const wl_registry_listener listener = {
        [](void* self, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
            static_cast<CWaylandIdle*>(self)->AddGlobal(registry, name, interface);
        },
        [](void*, wl_registry*, std::uint32_t) {},
    };
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &listener, this);
    return wl_display_roundtrip(m_display) >= 0 && m_seat != nullptr &&
           (m_notifier != nullptr || m_kdeIdle != nullptr);
}

void CWaylandIdle::DropNotification() {
    if (m_notification != nullptr) {
        ext_idle_notification_v1_destroy(m_notification);
        m_notification = nullptr;
    }
    if (m_kdeTimeout != nullptr) {
        org_kde_kwin_idle_timeout_release(m_kdeTimeout);
        m_kdeTimeout = nullptr;
    }
}

// A new notification's timer starts when it is made, and starts over at input: the
// compositor does not tell when the last input came, so a period always counts
// from now (never ending before the time asked).
void CWaylandIdle::Arm(std::chrono::milliseconds timeout, PeriodFrom) {
    DropNotification();
    const auto milliseconds = static_cast<std::uint32_t>(timeout.count());
    if (m_notifier != nullptr) {
        m_notification = ext_idle_notifier_v1_get_idle_notification(m_notifier, milliseconds, m_seat);
        ext_idle_notification_v1_add_listener(m_notification, &kNotificationListener, this);
    } else {
        m_kdeTimeout = org_kde_kwin_idle_get_idle_timeout(m_kdeIdle, m_seat, milliseconds);
        org_kde_kwin_idle_timeout_add_listener(m_kdeTimeout, &kKdeTimeoutListener, this);
    }
    wl_display_flush(m_display);
}

pollfd CWaylandIdle::WaitFor() {
    wl_display_dispatch_pending(m_display);
    wl_display_flush(m_display);
    return {wl_display_get_fd(m_display), POLLIN, 0};
}

bool CWaylandIdle::Pump(std::vector<IdleEvent>& events) {
    const bool connected = ReadWaylandEvents(m_display, nullptr);
    events.insert(events.end(), m_events.begin(), m_events.end());
    m_events.clear();
    return connected;
}

}  // namespace

std::unique_ptr<IIdleSource> OpenWaylandIdle(WaylandDisplay display) {
    auto idle = std::make_unique<CWaylandIdle>(std::move(display));
    return idle->Connect() ? std::move(idle) : nullptr;
}
