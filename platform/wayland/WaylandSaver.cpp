#include "platform/wayland/WaylandSaver.h"

#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/posix/StopSignals.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/WaylandScreen.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"

namespace {

// Gives a device back: the compositor is told where the seat knows how (version 3 on).
template <typename Device>
void ReleaseDevice(Device* device, void (*release)(Device*), void (*destroy)(Device*)) {
    (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(device)) >= 3 ? release : destroy)(device);
}
void ReleaseDevice(wl_pointer* pointer) {
    ReleaseDevice(pointer, wl_pointer_release, wl_pointer_destroy);
}
void ReleaseDevice(wl_keyboard* keyboard) {
    ReleaseDevice(keyboard, wl_keyboard_release, wl_keyboard_destroy);
}

class CWaylandSaver : public ISaverBackend {
  public:
    CWaylandSaver(wl_display* display, const SettingsOverrides& settings)
        : m_display(display), m_settings(settings) {}
    ~CWaylandSaver() override;
    CWaylandSaver(const CWaylandSaver&) = delete;
    CWaylandSaver& operator=(const CWaylandSaver&) = delete;

    // Learns the compositor's globals; false when it lacks what the saver needs.
    bool Connect();

    std::vector<ISaverScreen*> Screens() override;
    void Pump(CSaverEndJudge& judge) override;
    void WaitUntil(PaceTime deadline) override { ReadEvents(&deadline); }

  private:
    // Reads what the compositor sent, waiting until the deadline when given, and
    // handles it; the listeners note what it means in m_events.
    void ReadEvents(const PaceTime* deadline);
    // What the screens' states mean for the run, after the events of one read.
    void JudgeScreens();
    void ForgetSurfaceOf(CWaylandScreen& screen);
    void AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void RemoveGlobal(std::uint32_t name);
    void OnSeatCapabilities(std::uint32_t capabilities);
    const CWaylandScreen* ScreenShowing(wl_surface* surface) const;
    void OnMouse(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    void Note(SaverEvent event) { m_events.push_back(event); }

    static const wl_registry_listener kRegistryListener;
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const xdg_wm_base_listener kWmBaseListener;

    wl_display* m_display;
    SettingsOverrides m_settings;
    wl_registry* m_registry = nullptr;
    WaylandGlobals m_globals;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    std::vector<std::unique_ptr<CWaylandScreen>> m_screens;  // one for each output
    wl_surface* m_pointerOver = nullptr;
    wl_surface* m_keyboardOn = nullptr;  // the surface that has the keyboard
    bool m_bKeyboardLeft = false;        // a toplevel of the saver lost the keyboard
    bool m_bDisplayLost = false;
    std::vector<SaverEvent> m_events;  // noticed by the listeners, for the judge
};

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

const wl_seat_listener CWaylandSaver::kSeatListener = [] {
    wl_seat_listener listener{};
    listener.capabilities = [](void* self, wl_seat*, std::uint32_t capabilities) {
        static_cast<CWaylandSaver*>(self)->OnSeatCapabilities(capabilities);
    };
    listener.name = [](void*, wl_seat*, const char*) {};
    return listener;
}();

// The pointer is hidden over the screens. The position where it comes in counts as
// a move, in the compositor's space, as every later one.
const wl_pointer_listener CWaylandSaver::kPointerListener = [] {
    wl_pointer_listener listener{};
    listener.enter = [](void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                        wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<CWaylandSaver*>(data);
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
        self->m_pointerOver = surface;
        self->OnMouse(surface, x, y);
    };
    listener.leave = [](void* self, wl_pointer*, std::uint32_t, wl_surface*) {
        static_cast<CWaylandSaver*>(self)->m_pointerOver = nullptr;
    };
    listener.motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<CWaylandSaver*>(data);
        self->OnMouse(self->m_pointerOver, x, y);
    };
    listener.button = [](void* self, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                         std::uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
            static_cast<CWaylandSaver*>(self)->Note(SaverEvent::Button());
        }
    };
    listener.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
    return listener;
}();

// A key pressed counts; keys held when the keyboard comes do not. The keyboard
// moving from one of the saver's surfaces to another (as a compositor does when
// it maps the next fullscreen window) is no loss of it: what a leave means is
// judged once the events that came with it have been handled.
const wl_keyboard_listener CWaylandSaver::kKeyboardListener = [] {
    wl_keyboard_listener listener{};
    listener.keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); };
    listener.enter = [](void* self, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
        static_cast<CWaylandSaver*>(self)->m_keyboardOn = surface;
    };
    listener.leave = [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
        auto* self = static_cast<CWaylandSaver*>(data);
        if (const CWaylandScreen* screen = self->ScreenShowing(surface);
            screen && screen->EndsOnKeyboardLeave()) {
            self->m_bKeyboardLeft = true;
        }
        self->m_keyboardOn = nullptr;
    };
    listener.key = [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                      std::uint32_t state) {
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED) {
            static_cast<CWaylandSaver*>(self)->Note(SaverEvent::Key());
        }
    };
    listener.modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t) {};
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
    if (m_pointer != nullptr) {
        ReleaseDevice(m_pointer);
    }
    if (m_keyboard != nullptr) {
        ReleaseDevice(m_keyboard);
    }
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
    wl_display_disconnect(m_display);
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
            m_globals, m_settings, name, static_cast<wl_output*>(bind(&wl_output_interface, 2))));
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
    wl_surface* surface = gone.Surface();
    const bool hadKeyboard = surface != nullptr && m_keyboardOn == surface;
    m_keyboardOn = hadKeyboard ? nullptr : m_keyboardOn;
    m_pointerOver = m_pointerOver == surface ? nullptr : m_pointerOver;
    for (const auto& other : m_screens) {
        if (hadKeyboard && other.get() != &gone && other->Surface() != nullptr) {
            other->AskForKeyboard();
            break;
        }
    }
}

// Devices come and go (a virtual keyboard or pointer lasts as long as its
// client): a device that goes is given back, and one that comes is taken anew.
void CWaylandSaver::OnSeatCapabilities(std::uint32_t capabilities) {
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && m_pointer == nullptr) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &kPointerListener, this);
    } else if (!pointer && m_pointer != nullptr) {
        ReleaseDevice(m_pointer);
        m_pointer = nullptr;
        m_pointerOver = nullptr;
    }
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && m_keyboard == nullptr) {
        m_keyboard = wl_seat_get_keyboard(m_seat);
        wl_keyboard_add_listener(m_keyboard, &kKeyboardListener, this);
    } else if (!keyboard && m_keyboard != nullptr) {
        ReleaseDevice(m_keyboard);
        m_keyboard = nullptr;
    }
}

const CWaylandScreen* CWaylandSaver::ScreenShowing(wl_surface* surface) const {
    for (const auto& screen : m_screens) {
        if (surface != nullptr && screen->Surface() == surface) {
            return screen.get();
        }
    }
    return nullptr;
}

void CWaylandSaver::OnMouse(wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    if (const CWaylandScreen* screen = ScreenShowing(surface)) {
        Note(SaverEvent::Move(screen->SpaceX(wl_fixed_to_int(x)), screen->SpaceY(wl_fixed_to_int(y))));
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

void CWaylandSaver::Pump(CSaverEndJudge& judge) {
    ReadEvents(nullptr);
    JudgeScreens();
    if (m_bKeyboardLeft && m_keyboardOn == nullptr) {
        Note(SaverEvent::FocusLost(false));  // the keyboard went to another program's window
    }
    m_bKeyboardLeft = false;
    if (m_bDisplayLost) {
        Note(SaverEvent::Of(SaverEvent::Kind::DisplayLost));
    }
    if (StopRequested()) {
        Note(SaverEvent::Of(SaverEvent::Kind::Signal));
    }
    for (const SaverEvent& event : m_events) {
        judge.Notice(event);
    }
    m_events.clear();
}

// A screen that cannot be shown ends the run, and so does a fullscreen window that
// the user closes. A layer surface that the compositor takes away is dropped (its
// output may be going); the run ends when no screen is left.
void CWaylandSaver::JudgeScreens() {
    bool dismissed = false;
    bool showing = false;
    for (const auto& screen : m_screens) {
        switch (screen->GetState()) {
            case CWaylandScreen::State::Showing:
                showing = true;
                break;
            case CWaylandScreen::State::Dismissed:
                ForgetSurfaceOf(*screen);
                screen->Dismiss();
                dismissed = true;
                break;
            case CWaylandScreen::State::CloseRequested:
                Note(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
                break;
            case CWaylandScreen::State::Failed:
                Note(SaverEvent::Of(SaverEvent::Kind::SetupFailed));
                break;
        }
    }
    if (dismissed && !showing) {
        Note(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
    }
}

void CWaylandSaver::ReadEvents(const PaceTime* deadline) {
    if (!m_bDisplayLost) {
        m_bDisplayLost = !ReadWaylandEvents(m_display, deadline);
    }
}

}  // namespace

std::unique_ptr<ISaverBackend> OpenWaylandSaver(const SettingsOverrides& settings) {
    if (!WaylandDisplayNamed()) {
        return nullptr;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return nullptr;
    }
    auto saver = std::make_unique<CWaylandSaver>(display, settings);
    return saver->Connect() ? std::move(saver) : nullptr;
}
