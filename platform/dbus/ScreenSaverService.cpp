#include "platform/dbus/ScreenSaverService.h"

#include <algorithm>
#include <cerrno>

#include "platform/dbus/InhibitorList.h"

namespace {

constexpr char kName[] = "org.freedesktop.ScreenSaver";
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};
// The signal by which the watcher that serves the name tells the others that its list changed.
constexpr char kListInterface[] = "invalid.tovarin.lucenta.Inhibitors";
constexpr char kListChanged[] = "Changed";

std::string BusId(sd_bus* bus) {
    sd_id128_t id;
    char text[SD_ID128_STRING_MAX];
    return sd_bus_get_bus_id(bus, &id) >= 0 ? sd_id128_to_string(id, text) : "";
}

}  // namespace

std::unique_ptr<CScreenSaverService> CScreenSaverService::Serve(CDbusConnection& bus, unsigned holder,
                                                                Report report) {
    const std::string busId = BusId(bus.Get());
    const std::string listPath = busId.empty() ? "" : InhibitorListPath(busId);
    std::unique_ptr<CScreenSaverService> service(
        new CScreenSaverService(bus, holder, std::move(report), listPath));
    if (listPath.empty()) {
        return nullptr;
    }
    service->WatchTheName();
    if (!service->Offer()) {
        return nullptr;
    }
    service->ReadHolds();
    return service;
}

// The objects are there before the name comes; a program that serves it for real
// (a screen locker) may take it over.
bool CScreenSaverService::Offer() {
    static const sd_bus_vtable kMethods[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Inhibit", "ss", "u", OnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("UnInhibit", "u", "", OnUnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    for (const char* path : kPaths) {
        sd_bus_slot* slot = nullptr;
        if (sd_bus_add_object_vtable(m_bus.Get(), &slot, path, kName, kMethods, this) >= 0) {
            m_slots.push_back(slot);
        }
    }
    return sd_bus_request_name(m_bus.Get(), kName, SD_BUS_NAME_ALLOW_REPLACEMENT | SD_BUS_NAME_QUEUE) >= 0;
}

// The bus tells this connection when the name comes to it and when it goes to
// another; the list is read again whenever the one that serves it says it changed.
void CScreenSaverService::WatchTheName() {
    const auto named = [](sd_bus_message* message) {
        const char* name = nullptr;
        return sd_bus_message_read(message, "s", &name) >= 0 && name != nullptr && std::string(name) == kName;
    };
    m_bus.WatchSignal("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameAcquired",
                      [this, named](sd_bus_message* message) {
                          if (named(message)) {
                              TakeOver();
                          }
                      });
    m_bus.WatchSignal("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameLost",
                      [this, named](sd_bus_message* message) {
                          if (named(message)) {
                              Drop();
                          }
                      });
    m_bus.WatchSignal(kName, kPaths[0], kListInterface, kListChanged,
                      [this](sd_bus_message*) { ReadHolds(); });
}

CScreenSaverService::~CScreenSaverService() {
    for (sd_bus_slot* slot : m_slots) {
        sd_bus_slot_unref(slot);
    }
    for (auto& [cookie, caller] : m_inhibitors) {
        sd_bus_track_unref(caller);
    }
}

// The inhibitors of the watcher that served the name before, whose callers are
// still on the bus, are held on; their cookies stay good.
void CScreenSaverService::TakeOver() {
    if (m_bServing) {
        return;
    }
    m_bServing = true;
    for (const Inhibitor& inhibitor : ReadInhibitorList(m_listPath)) {
        Track(inhibitor.cookie, inhibitor.caller);
        m_nextCookie = std::max(m_nextCookie, inhibitor.cookie + 1);
    }
    Publish();
}

// Another program took the name over: the cookies handed out are its business now.
void CScreenSaverService::Drop() {
    if (!m_bServing) {
        return;
    }
    m_bServing = false;
    for (auto& [cookie, caller] : m_inhibitors) {
        sd_bus_track_unref(caller);
    }
    m_inhibitors.clear();
    Publish();
}

// The caller is tracked before the bus is asked whether it is there, so that it
// cannot leave unseen in between.
void CScreenSaverService::Track(std::uint32_t cookie, const std::string& caller) {
    sd_bus_track* track = nullptr;
    if (sd_bus_track_new(m_bus.Get(), &track, OnCallerGone, this) >= 0 &&
        sd_bus_track_add_name(track, caller.c_str()) >= 0 && m_bus.HasOwner(caller.c_str())) {
        m_inhibitors[cookie] = track;
    } else {
        sd_bus_track_unref(track);
    }
}

int CScreenSaverService::OnInhibit(sd_bus_message* call, void* data, sd_bus_error*) {
    auto* self = static_cast<CScreenSaverService*>(data);
    sd_bus_track* caller = nullptr;
    if (sd_bus_track_new(self->m_bus.Get(), &caller, OnCallerGone, self) < 0 ||
        sd_bus_track_add_sender(caller, call) < 0) {
        sd_bus_track_unref(caller);
        return -ENOMEM;
    }
    const std::uint32_t cookie = self->m_nextCookie++;
    self->m_inhibitors[cookie] = caller;
    self->Publish();  // before the answer: the cookie is known to the next that serves
    return sd_bus_reply_method_return(call, "u", cookie);
}

// Only the caller that took a cookie may give it back.
int CScreenSaverService::OnUnInhibit(sd_bus_message* call, void* data, sd_bus_error*) {
    auto* self = static_cast<CScreenSaverService*>(data);
    std::uint32_t cookie = 0;
    if (sd_bus_message_read(call, "u", &cookie) < 0) {
        return -EINVAL;
    }
    const auto found = self->m_inhibitors.find(cookie);
    if (found != self->m_inhibitors.end() && sd_bus_track_count_sender(found->second, call) > 0) {
        self->Forget(cookie);
    }
    return sd_bus_reply_method_return(call, "");
}

int CScreenSaverService::OnCallerGone(sd_bus_track* track, void* data) {
    auto* self = static_cast<CScreenSaverService*>(data);
    for (const auto& [cookie, caller] : self->m_inhibitors) {
        if (caller == track) {
            self->Forget(cookie);
            break;
        }
    }
    return 0;
}

void CScreenSaverService::Forget(std::uint32_t cookie) {
    sd_bus_track_unref(m_inhibitors[cookie]);
    m_inhibitors.erase(cookie);
    Publish();
}

// The list is written, the other watchers are told, and this one reads it as they do.
void CScreenSaverService::Publish() {
    std::vector<Inhibitor> inhibitors;
    for (const auto& [cookie, caller] : m_inhibitors) {
        const char* name = sd_bus_track_first(caller);
        inhibitors.push_back({cookie, name != nullptr ? name : ""});
    }
    WriteInhibitorList(m_listPath, inhibitors);
    sd_bus_emit_signal(m_bus.Get(), kPaths[0], kListInterface, kListChanged, nullptr);
    ReadHolds();
}

// Held while the list holds a caller that is on the bus.
void CScreenSaverService::ReadHolds() {
    bool held = false;
    for (const Inhibitor& inhibitor : ReadInhibitorList(m_listPath)) {
        held = held || m_bus.HasOwner(inhibitor.caller.c_str());
    }
    if (held != m_bHeld) {
        m_bHeld = held;
        m_report(IdleEvent::Of(held ? IdleEvent::Kind::HeldOff : IdleEvent::Kind::Released, m_holder));
    }
}
