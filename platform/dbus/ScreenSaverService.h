#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "platform/dbus/DbusConnection.h"

// org.freedesktop.ScreenSaver on the session bus where no other program serves
// it (sway, a plain X11 session), as idle daemons do: browsers and players ask it
// to hold idleness off while they play (Inhibit, with a cookie for UnInhibit), at
// /org/freedesktop/ScreenSaver and at /ScreenSaver. A caller's inhibitors go when
// it leaves the bus. While any is held, the connection tells HeldOff with `holder`.
class CScreenSaverService {
  public:
    // Takes the name and serves it; nullptr when another program owns it.
    static std::unique_ptr<CScreenSaverService> Serve(CDbusConnection& bus, unsigned holder);
    ~CScreenSaverService();
    CScreenSaverService(const CScreenSaverService&) = delete;
    CScreenSaverService& operator=(const CScreenSaverService&) = delete;

  private:
    CScreenSaverService(CDbusConnection& bus, unsigned holder) : m_bus(bus), m_holder(holder) {}
    static int OnInhibit(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnUnInhibit(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnCallerGone(sd_bus_track* track, void* self);
    void Forget(std::uint32_t cookie);

    CDbusConnection& m_bus;
    unsigned m_holder;
    std::uint32_t m_nextCookie = 1;
    std::map<std::uint32_t, sd_bus_track*> m_inhibitors;  // a cookie and its caller
    std::vector<sd_bus_slot*> m_slots;                    // the objects served
};
