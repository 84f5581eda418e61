#include "platform/x11/X11Connection.h"

#include <algorithm>
#include <cstdio>

namespace {

// The connections open, for the error handler, which Xlib keeps for the whole process.
std::vector<CX11Connection*> g_connections;

// Xlib calls the exit handler (below) once this returns.
extern "C" int OnIOError(Display*) {
    return 0;
}

}  // namespace

std::unique_ptr<CX11Connection> CX11Connection::Open(const std::string& name) {
    Display* display = XOpenDisplay(name.c_str());
    if (display == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CX11Connection> connection(new CX11Connection(display));
    XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnIOError);
    XSetIOErrorExitHandler(display, OnLost, connection.get());
    g_connections.push_back(connection.get());
    return connection;
}

CX11Connection::~CX11Connection() {
    g_connections.erase(std::remove(g_connections.begin(), g_connections.end(), this), g_connections.end());
    XCloseDisplay(m_display);
}

void CX11Connection::TrackWindow(Window window) {
    if (std::find(m_windows.begin(), m_windows.end(), window) == m_windows.end()) {
        m_windows.push_back(window);
    }
}

void CX11Connection::ForgetWindow(Window window) {
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
}

bool CX11Connection::TakeWindowGone() {
    const bool gone = m_bWindowGone;
    m_bWindowGone = false;
    return gone;
}

int CX11Connection::OnError(Display* display, XErrorEvent* error) {
    for (CX11Connection* connection : g_connections) {
        const auto& windows = connection->m_windows;
        if (connection->m_display == display &&
            (error->error_code == BadWindow || error->error_code == BadDrawable) &&
            std::find(windows.begin(), windows.end(), error->resourceid) != windows.end()) {
            connection->m_bWindowGone = true;
            return 0;
        }
    }
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "lucenta: X error: %s (request %d)\n", text, error->request_code);
    return 0;
}

// Once it returns, Xlib marks the connection as dead: no call waits on it again.
void CX11Connection::OnLost(Display*, void* self) {
    auto* connection = static_cast<CX11Connection*>(self);
    if (!connection->m_bLost) {
        std::fprintf(stderr, "lucenta: the connection to the X server was lost\n");
    }
    connection->m_bLost = true;
}
