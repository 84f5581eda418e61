#include "platform/dbus/DbusConnection.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

// A service that does not answer holds the watcher no longer than this.
constexpr std::uint64_t kCallTimeoutMicroseconds = 2000000;

int OnMessage(sd_bus_message* message, void* handler, sd_bus_error*) {
    (*static_cast<std::function<void(sd_bus_message*)>*>(handler))(message);
    return 0;
}

// A match that the bus refuses is a signal never heard, not the end of the
// connection (as it would be without this).
int OnMatchAdded(sd_bus_message*, void*, sd_bus_error*) {
    return 0;
}

}  // namespace

std::unique_ptr<CDbusConnection> CDbusConnection::Open(Bus bus) {
    sd_bus* connection = nullptr;
    const int opened = bus == Bus::Session ? sd_bus_open_user(&connection) : sd_bus_open_system(&connection);
    if (opened < 0 || connection == nullptr) {
        return nullptr;
    }
    sd_bus_set_method_call_timeout(connection, kCallTimeoutMicroseconds);
    return std::unique_ptr<CDbusConnection>(new CDbusConnection(connection));
}

CDbusConnection::~CDbusConnection() {
    for (sd_bus_slot* slot : m_slots) {
        sd_bus_slot_unref(slot);
    }
    sd_bus_flush_close_unref(m_bus);
}

bool CDbusConnection::HasOwner(const char* name) {
    sd_bus_message* reply = Call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                 "NameHasOwner", "s", name);
    int owned = 0;
    if (reply != nullptr && sd_bus_message_read(reply, "b", &owned) < 0) {
        owned = 0;
    }
    sd_bus_message_unref(reply);
    return owned != 0;
}

sd_bus_message* CDbusConnection::Call(const char* destination, const char* path, const char* interface,
                                      const char* member, const char* types, ...) {
    va_list arguments;
    va_start(arguments, types);
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int called =
        sd_bus_call_methodv(m_bus, destination, path, interface, member, &error, &reply, types, arguments);
    va_end(arguments);
    sd_bus_error_free(&error);
    return called < 0 ? sd_bus_message_unref(reply) : reply;
}

bool CDbusConnection::ReadProperty(const char* destination, const char* path, const char* interface,
                                   const char* property, char type, void* value) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int read =
        sd_bus_get_property_trivial(m_bus, destination, path, interface, property, &error, type, value);
    sd_bus_error_free(&error);
    return read >= 0;
}

std::optional<std::string> CDbusConnection::ReadText(const char* destination, const char* path,
                                                     const char* interface, const char* property) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    char* text = nullptr;
    const int read = sd_bus_get_property_string(m_bus, destination, path, interface, property, &error, &text);
    sd_bus_error_free(&error);
    std::optional<std::string> value;
    if (read >= 0 && text != nullptr) {
        value = text;
    }
    std::free(text);
    return value;
}

void CDbusConnection::WatchSignal(const char* sender, const char* path, const char* interface,
                                  const char* member, std::function<void(sd_bus_message*)> handler) {
    m_handlers.push_back(std::make_unique<std::function<void(sd_bus_message*)>>(std::move(handler)));
    sd_bus_slot* slot = nullptr;
    if (sd_bus_match_signal_async(m_bus, &slot, sender, path, interface, member, OnMessage, OnMatchAdded,
                                  m_handlers.back().get()) >= 0) {
        Keep(slot);
    }
}

// The property is read anew whenever its interface's PropertiesChanged names it,
// whether with its value or as invalidated.
void CDbusConnection::WatchProperty(const char* destination, const char* path, const char* interface,
                                    const char* property, std::function<void()> changed) {
    const std::string watched = property;
    const std::string ofInterface = interface;
    WatchSignal(
        destination, path, "org.freedesktop.DBus.Properties", "PropertiesChanged",
        [=](sd_bus_message* message) {
            const char* name = nullptr;
            if (sd_bus_message_read(message, "s", &name) >= 0 && name != nullptr && ofInterface == name) {
                changed();
            }
        });
    changed();
}

pollfd CDbusConnection::WaitFor() {
    sd_bus_flush(m_bus);
    const int events = sd_bus_get_events(m_bus);
    return {sd_bus_get_fd(m_bus), static_cast<short>(events > 0 ? events : POLLIN), 0};
}

bool CDbusConnection::Process() {
    int processed = 0;
    while ((processed = sd_bus_process(m_bus, nullptr)) > 0) {
    }
    return processed >= 0;
}
