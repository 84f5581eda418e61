#include "platform/wayland/WaylandSaver.h"

#include <algorithm>
#include <cstring>

#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"

// The listeners name the events they handle; any others (of later versions than
// those bound) stay null.
const wl_registry_listener CWaylandSaver::kRegistryListener = [] {
    wl_registry_listener listener{};
    listener.global = [](void* self, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version) {
        static_cast<CWaylandSaver*>(self)->AddGlobal(registry, name, interface, version);
    };
    listener.global_remove = [](void* self, wl_registry*, std::uint32_t name) {
        static_cast<CWaylandSaver*>(self)->RemoveGlobal(name);
    };
    return listener;
}();

const xdg_wm_base_listener CWaylandSaver::kWmBaseListener = [] {
    xdg_wm_base_listener listener{};
    listener.ping = [](void*, xdg_wm_base* wmBase, std::uint32_t serial) {
        xdg_wm_base_pong(wmBase, serial);
    };
    return listener;
}();

CWaylandSaver::~CWaylandSaver() {
    m_screens.clear();
    ReleaseDevices();
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_globals.layerShell != nullptr) {
        zwlr_layer_shell_v1_destroy(m_globals.layerShell);
    }
    if (m_globals.wmBase != nullptr) {
        xdg_wm_base_destroy(m_globals.wmBase);
    }
    if (m_globals.shm != nullptr) {
        wl_shm_destroy(m_globals.shm);
    }
    if (m_globals.compositor != nullptr) {
        wl_compositor_destroy(m_globals.compositor);
    }
    if (m_registry != nullptr) {
        wl_registry_destroy(m_registry);
    }
    wl_display_flush(m_display);
}

void CWaylandSaver::AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                              std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(registry, name, type, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        m_globals.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        m_globals.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        m_globals.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 2));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        m_globals.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
        xdg_wm_base_add_listener(m_globals.wmBase, &kWmBaseListener, this);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && m_seat == nullptr) {
        m_seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 3));  // 3: devices can be given back
        wl_seat_add_listener(m_seat, &kSeatListener, this);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        m_screens.push_back(std::make_unique<CWaylandScreen>(
            m_globals, name, static_cast<wl_output*>(bind(&wl_output_interface, 2))));
    }
}

// An output that goes takes its screen with it.
void CWaylandSaver::RemoveGlobal(std::uint32_t name) {
    const auto gone = std::find_if(m_screens.begin(), m_screens.end(),
                                   [name](const auto& screen) { return screen->Name() == name; });
    if (gone != m_screens.end()) {
        ForgetSurfaceOf(**gone);
        m_screens.erase(gone);
    }
}

// The devices forget a surface that goes. When it had the keyboard, a screen that
// is left asks for it: a compositor need not pass it on.
void CWaylandSaver::ForgetSurfaceOf(CWaylandScreen& gone) {
    wl_surface* surface = gone.WlSurface();
    const bool hadKeyboard = surface != nullptr && m_keyboardOn == surface;
    m_keyboardOn = hadKeyboard ? nullptr : m_keyboardOn;
    m_pointerOver = m_pointerOver == surface ? nullptr : m_pointerOver;
    for (const auto& other : m_screens) {
        if (hadKeyboard && other.get() != &gone && other->WlSurface() != nullptr) {
            other->AskForKeyboard();
            break;
        }
    }
}

bool CWaylandSaver::Connect() {
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    // The globals, then what the outputs and the seat say of themselves.
    if (wl_display_roundtrip(m_display) < 0 || wl_display_roundtrip(m_display) < 0) {
        return false;
    }
    return m_globals.Complete();
}

std::vector<ISaverScreen*> CWaylandSaver::Screens() {
    std::vector<ISaverScreen*> screens;
    for (const auto& screen : m_screens) {
        screens.push_back(screen.get());
    }
    return screens;
}

void CWaylandSaver::ReadEvents(const PaceTime* deadline) {
    if (!m_bDisplayLost) {
        m_bDisplayLost = !ReadWaylandEvents(m_display, deadline);
    }
}

std::unique_ptr<ISaverBackend> OpenWaylandSaver(WaylandDisplay display) {
    auto saver = std::make_unique<CWaylandSaver>(std::move(display));
    return saver->Connect() ? std::move(saver) : nullptr;
}
