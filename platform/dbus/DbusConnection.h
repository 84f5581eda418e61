#pragma once

#include <systemd/sd-bus.h>

#include <poll.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A connection to the session's or the system's message bus (sd-bus), with the
// few things asked of one here: calls that wait for their answer, signals and
// properties watched, a name served. Its handlers run as it is processed.
class CDbusConnection {
  public:
    enum class Bus { Session, System };
    // nullptr when the bus cannot be reached (no session bus, no system bus): the
    // watcher goes on without what it would tell.
    static std::unique_ptr<CDbusConnection> Open(Bus bus);
    ~CDbusConnection();
    CDbusConnection(const CDbusConnection&) = delete;
    CDbusConnection& operator=(const CDbusConnection&) = delete;

    sd_bus* Get() const { return m_bus; }
    // Whether a program owns the name now.
    bool HasOwner(const char* name);
    // Calls a method and waits for the answer; nullptr when there is none (no such
    // service or method). The caller reads the answer and unrefs it.
    sd_bus_message* Call(const char* destination, const char* path, const char* interface, const char* member,
                         const char* types = nullptr, ...);
    // A property's value (of a basic type: 'b', 'u') read into `value`, or a text
    // property; false or std::nullopt when it cannot be read.
    bool ReadProperty(const char* destination, const char* path, const char* interface, const char* property,
                      char type, void* value);
    std::optional<std::string> ReadText(const char* destination, const char* path, const char* interface,
                                        const char* property);
    // Runs `handler` for each signal that matches (a null field matches any).
    void WatchSignal(const char* sender, const char* path, const char* interface, const char* member,
                     std::function<void(sd_bus_message*)> handler);
    // Runs `changed` whenever the property may have changed (PropertiesChanged
    // names it), and once now.
    void WatchProperty(const char* destination, const char* path, const char* interface, const char* property,
                       std::function<void()> changed);
    // Keeps a slot (an object, a name request) for as long as the connection lives.
    void Keep(sd_bus_slot* slot) { m_slots.push_back(slot); }

    // The descriptor and the events to wait for, once what waits to be sent is sent.
    pollfd WaitFor();
    // Handles what arrived, without waiting; false when the connection is lost.
    bool Process();

  private:
    explicit CDbusConnection(sd_bus* bus) : m_bus(bus) {}

    sd_bus* m_bus;
    std::vector<sd_bus_slot*> m_slots;
    std::vector<std::unique_ptr<std::function<void(sd_bus_message*)>>> m_handlers;
};
