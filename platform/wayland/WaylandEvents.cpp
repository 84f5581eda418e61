#include "platform/wayland/WaylandEvents.h"

#include <unistd.h>

#include "platform/wayland/WaylandSaver.h"

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

}  // namespace

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
        if (surface != nullptr && screen->WlSurface() == surface) {
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

void CWaylandSaver::ReleaseDevices() {
    if (m_pointer != nullptr) {
        ReleaseDevice(m_pointer);
    }
    if (m_keyboard != nullptr) {
        ReleaseDevice(m_keyboard);
    }
}

void TellScreenStates(const std::vector<WaylandScreenState>& states, std::vector<SaverEvent>& events) {
    bool dismissed = false;
    bool showing = false;
    for (const WaylandScreenState state : states) {
        switch (state) {
            case WaylandScreenState::Showing:
                showing = true;
                break;
            case WaylandScreenState::Dismissed:
                dismissed = true;
                break;
            case WaylandScreenState::CloseRequested:
                events.push_back(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
                break;
            case WaylandScreenState::Failed:
                events.push_back(SaverEvent::Of(SaverEvent::Kind::SetupFailed));
                break;
        }
    }
    if (dismissed && !showing) {
        events.push_back(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
    }
}

void CWaylandSaver::Pump(std::vector<SaverEvent>& events) {
    ReadEvents(nullptr);
    std::vector<WaylandScreenState> states;
    for (const auto& screen : m_screens) {
        states.push_back(screen->State());
        if (states.back() == WaylandScreenState::Dismissed) {
            ForgetSurfaceOf(*screen);
        }
        screen->DropIfDismissed();
    }
    TellScreenStates(states, m_events);
    if (m_bKeyboardLeft && m_keyboardOn == nullptr) {
        Note(SaverEvent::FocusLost(false));  // the keyboard went to another program's window
    }
    m_bKeyboardLeft = false;
    if (m_bDisplayLost) {
        Note(SaverEvent::Of(SaverEvent::Kind::DisplayLost));
    }
    events.insert(events.end(), m_events.begin(), m_events.end());
    m_events.clear();
}
