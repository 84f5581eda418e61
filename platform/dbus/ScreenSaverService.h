#pragma once

#include <systemd/sd-bus.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/dbus/DbusConnection.h"
#include "shell/IdleWatcher.h"

// org.freedesktop.ScreenSaver on the session bus where no other program serves it
// (sway, a plain X11 session), as idle daemons do: browsers and players ask it to
// hold idleness off while they play (Inhibit, with a cookie for UnInhibit), at
// /org/freedesktop/ScreenSaver and at /ScreenSaver. A caller's inhibitors go when
// it leaves the bus.
//
// Every idle watcher of the user asks for the name; one serves it, the others
// wait in the bus's queue and take it over, with the inhibitors held, when it
// goes. The one that serves keeps the inhibitors in a list that every watcher
// reads (InhibitorList.h) and tells them when it changes: an inhibitor held on the
// user's bus keeps every watcher of the user away, whichever session it runs in.
// While the list holds a caller still on the bus, it reports HeldOff with `holder`.
class CScreenSaverService {
  public:
    using Report = std::function<void(const IdleEvent&)>;
    static std::unique_ptr<CScreenSaverService> Serve(CDbusConnection& bus, unsigned holder, Report report);
    ~CScreenSaverService();
    CScreenSaverService(const CScreenSaverService&) = delete;
    CScreenSaverService& operator=(const CScreenSaverService&) = delete;

  private:
    CScreenSaverService(CDbusConnection& bus, unsigned holder, Report report, std::string listPath)
        : m_bus(bus), m_holder(holder), m_report(std::move(report)), m_listPath(std::move(listPath)) {}
    bool Offer();
    void WatchTheName();
    static int OnInhibit(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnUnInhibit(sd_bus_message* call, void* self, sd_bus_error* error);
    static int OnCallerGone(sd_bus_track* track, void* self);
    void TakeOver();
    void Drop();
    void Track(std::uint32_t cookie, const std::string& caller);
    void Forget(std::uint32_t cookie);
    void Publish();
    void ReadHolds();

    CDbusConnection& m_bus;
    unsigned m_holder;
    Report m_report;
    std::string m_listPath;
    bool m_bServing = false;
    bool m_bHeld = false;
    std::uint32_t m_nextCookie = 1;
    std::map<std::uint32_t, sd_bus_track*> m_inhibitors;  // a cookie and its caller, while serving
    std::vector<sd_bus_slot*> m_slots;                    // the objects served
};
