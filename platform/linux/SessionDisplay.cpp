#include "platform/linux/SessionDisplay.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/x11/X11Connection.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

CSessionDisplay CSessionDisplay::FromEnvironment(bool x11Asked) {
    return CSessionDisplay(x11Asked ? "" : Environment("WAYLAND_DISPLAY"), Environment("DISPLAY"),
                           Environment("XDG_RUNTIME_DIR"));
}

CSessionDisplay::Connection CSessionDisplay::Connect(std::string& refusal) const {
    Connection connection;
    std::string tried;
    // A socket's name is looked for in the runtime folder: without one, only a path names a socket.
    if (!m_wayland.empty() && m_wayland[0] != '/' && m_runtime.empty()) {
        tried = "cannot find the Wayland compositor '" + m_wayland + "' (XDG_RUNTIME_DIR is not set) nor ";
    } else if (!m_wayland.empty()) {
        connection.wayland.reset(wl_display_connect(m_wayland.c_str()));
        if (connection.wayland) {
            return connection;
        }
        tried = "cannot connect to the Wayland compositor '" + m_wayland + "' (" + std::strerror(errno) +
                ") nor ";
    }
    connection.x11 = ConnectX11(refusal);
    if (!connection.x11) {
        refusal = tried.empty() ? refusal : tried + refusal.substr(std::strlen("cannot "));
    }
    return connection;
}

std::unique_ptr<CX11Connection> CSessionDisplay::ConnectX11(std::string& refusal) const {
    std::unique_ptr<CX11Connection> connection = m_x11.empty() ? nullptr : CX11Connection::Open(m_x11);
    if (!connection) {
        refusal = m_x11.empty() ? std::string("cannot open an X display: DISPLAY names none")
                                : "cannot open the X display '" + m_x11 + "'";
    }
    return connection;
}

std::string CSessionDisplay::Key() const {
    if (!m_wayland.empty()) {
        return m_wayland;
    }
    const std::size_t colon = m_x11.rfind(':');
    const std::size_t screen = colon == std::string::npos ? colon : m_x11.find('.', colon);
    return m_x11.substr(0, screen);
}
