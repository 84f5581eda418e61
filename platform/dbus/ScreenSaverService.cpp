#include "platform/dbus/ScreenSaverService.h"

#include <cerrno>

namespace {

constexpr char kName[] = "org.freedesktop.ScreenSaver";
constexpr const char* kPaths[] = {"/org/freedesktop/ScreenSaver", "/ScreenSaver"};

}  // namespace

std::unique_ptr<CScreenSaverService> CScreenSaverService::Serve(CDbusConnection& bus, unsigned holder) {
    static const sd_bus_vtable kMethods[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("Inhibit", "ss", "u", OnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("UnInhibit", "u", "", OnUnInhibit, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    // Another program that serves it for real (a screen locker) may take it over.
    if (sd_bus_request_name(bus.Get(), kName, SD_BUS_NAME_ALLOW_REPLACEMENT) < 0) {
        return nullptr;
    }
    std::unique_ptr<CScreenSaverService> service(new CScreenSaverService(bus, holder));
    for (const char* path : kPaths) {
        sd_bus_slot* slot = nullptr;
        if (sd_bus_add_object_vtable(bus.Get(), &slot, path, kName, kMethods, service.get()) >= 0) {
            service->m_slots.push_back(slot);
        }
    }
    return service;
}

CScreenSaverService::~CScreenSaverService() {
    for (sd_bus_slot* slot : m_slots) {
        sd_bus_slot_unref(slot);
    }
    for (auto& [cookie, caller] : m_inhibitors) {
        sd_bus_track_unref(caller);
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
    if (self->m_inhibitors.size() == 1) {
        self->m_bus.Tell(IdleNews::Of(IdleNews::Kind::HeldOff, self->m_holder));
    }
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
    if (m_inhibitors.empty()) {
        m_bus.Tell(IdleNews::Of(IdleNews::Kind::Released, m_holder));
    }
}
