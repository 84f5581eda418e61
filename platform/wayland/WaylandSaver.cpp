#include "platform/wayland/WaylandSaver.h"

#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/StopSignals.h"
#include "platform/wayland/WlSaverSurface.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"
#include "shell/SaverInput.h"

namespace {

// Lets a device go: the compositor is told where the seat knows how (version 3 on).
void LetGo(wl_pointer* pointer) {
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) {
        wl_pointer_release(pointer);
    } else {
        wl_pointer_destroy(pointer);
    }
}

void LetGo(wl_keyboard* keyboard) {
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
        wl_keyboard_release(keyboard);
    } else {
        wl_keyboard_destroy(keyboard);
    }
}

// The longest wait: the loop looks again at least this often.
constexpr std::chrono::milliseconds kLongestWait(500);

// One output and the picture on it, made once the compositor has said all it has
// to say about the output.
struct Output {
    std::uint32_t name = 0;  // the global's
    wl_output* output = nullptr;
    int scale = 1;
    int width = 0;
    int height = 0;
    std::int64_t refreshMilliHz = 0;
    std::unique_ptr<CWlSaverSurface> picture;
    bool dismissed = false;  // the compositor took its picture away: none is made again

    ~Output() {
        picture.reset();
        wl_output_destroy(output);
    }
};

class CWlSaver {
  public:
    CWlSaver(wl_display* display, std::optional<int> speed) : m_display(display), m_speed(speed) {}
    ~CWlSaver();
    CWlSaver(const CWlSaver&) = delete;
    CWlSaver& operator=(const CWlSaver&) = delete;

    // Learns the compositor's globals; false when it lacks what the saver needs.
    bool Connect();
    int Run();

  private:
    bool Ending() const { return m_status.has_value() || StopRequested(); }
    // After the events of one read: what they mean for the run as a whole.
    void JudgeEvents();
    void End(int status) {
        if (!m_status) {
            m_status = status;
        }
    }
    // Sleeps until a picture has a frame to show, an event comes or a stop
    // signal; with `block` false it only takes the events that are there.
    void Wait(bool block);
    void ShowPictures();
    void DrawOneRowEach();
    void AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version);
    void RemoveGlobal(std::uint32_t name);
    void OnSeatCapabilities(std::uint32_t capabilities);
    CWlSaverSurface* PictureOf(wl_surface* surface) const;
    void DropPicture(Output& output);
    void OnMouse(wl_surface* surface, wl_fixed_t x, wl_fixed_t y);

    static const wl_registry_listener kRegistryListener;
    static const wl_output_listener kOutputListener;
    static const wl_seat_listener kSeatListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const xdg_wm_base_listener kWmBaseListener;

    wl_display* m_display;
    std::optional<int> m_speed;
    wl_registry* m_registry = nullptr;
    WlShell m_shell;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    wl_keyboard* m_keyboard = nullptr;
    std::vector<std::unique_ptr<Output>> m_outputs;
    CSaverInput m_input;
    wl_surface* m_pointerOver = nullptr;
    wl_surface* m_keyboardOn = nullptr;  // the surface that has the keyboard
    bool m_bKeyboardLeft = false;        // a toplevel of the saver lost the keyboard
    std::optional<int> m_status;         // set when the run ends
};

// The listeners name the events they handle; any others (of later versions than
// those bound) stay null.
const wl_registry_listener CWlSaver::kRegistryListener = [] {
    wl_registry_listener listener{};
    listener.global = [](void* self, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version) {
        static_cast<CWlSaver*>(self)->AddGlobal(registry, name, interface, version);
    };
    listener.global_remove = [](void* self, wl_registry*, std::uint32_t name) {
        static_cast<CWlSaver*>(self)->RemoveGlobal(name);
    };
    return listener;
}();

// The mode and scale come before "done"; the picture is made once they are known.
const wl_output_listener CWlSaver::kOutputListener = [] {
    wl_output_listener listener{};
    listener.geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                           std::int32_t, const char*, const char*, std::int32_t) {};
    listener.mode = [](void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                       std::int32_t refresh) {
        if ((flags & WL_OUTPUT_MODE_CURRENT) != 0) {
            auto* output = static_cast<Output*>(data);
            output->width = width;
            output->height = height;
            output->refreshMilliHz = refresh;
        }
    };
    listener.done = [](void* data, wl_output*) {
        const auto* output = static_cast<Output*>(data);
        if (output->picture) {
            output->picture->SetOutput(output->scale, output->width, output->height, output->refreshMilliHz);
        }
    };
    listener.scale = [](void* data, wl_output*, std::int32_t scale) {
        static_cast<Output*>(data)->scale = scale;
    };
    return listener;
}();

const wl_seat_listener CWlSaver::kSeatListener = [] {
    wl_seat_listener listener{};
    listener.capabilities = [](void* self, wl_seat*, std::uint32_t capabilities) {
        static_cast<CWlSaver*>(self)->OnSeatCapabilities(capabilities);
    };
    listener.name = [](void*, wl_seat*, const char*) {};
    return listener;
}();

// The pointer is hidden over the pictures; a button, or a move that changes both
// coordinates, ends the saver. The position where the pointer comes in counts as
// a move: the first one only records.
const wl_pointer_listener CWlSaver::kPointerListener = [] {
    wl_pointer_listener listener{};
    listener.enter = [](void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface,
                        wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<CWlSaver*>(data);
        wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
        self->m_pointerOver = surface;
        self->OnMouse(surface, x, y);
    };
    listener.leave = [](void* self, wl_pointer*, std::uint32_t, wl_surface*) {
        static_cast<CWlSaver*>(self)->m_pointerOver = nullptr;
    };
    listener.motion = [](void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
        auto* self = static_cast<CWlSaver*>(data);
        self->OnMouse(self->m_pointerOver, x, y);
    };
    listener.button = [](void* self, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                         std::uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED) {
            static_cast<CWlSaver*>(self)->End(0);
        }
    };
    listener.axis = [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {};
    listener.frame = [](void*, wl_pointer*) {};
    listener.axis_source = [](void*, wl_pointer*, std::uint32_t) {};
    listener.axis_stop = [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {};
    listener.axis_discrete = [](void*, wl_pointer*, std::uint32_t, std::int32_t) {};
    return listener;
}();

// A key pressed ends the saver; keys held when the keyboard comes do not. The
// keyboard moving from one of the saver's surfaces to another (as a compositor
// does when it maps the next fullscreen window) is no loss of it: what the leave
// means is judged once the events that came with it have been handled.
const wl_keyboard_listener CWlSaver::kKeyboardListener = [] {
    wl_keyboard_listener listener{};
    listener.keymap = [](void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); };
    listener.enter = [](void* self, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
        static_cast<CWlSaver*>(self)->m_keyboardOn = surface;
    };
    listener.leave = [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
        auto* self = static_cast<CWlSaver*>(data);
        if (const CWlSaverSurface* picture = self->PictureOf(surface);
            picture && picture->EndsOnKeyboardLeave()) {
            self->m_bKeyboardLeft = true;
        }
        self->m_keyboardOn = nullptr;
    };
    listener.key = [](void* self, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t,
                      std::uint32_t state) {
        if (state == WL_KEYBOARD_KEY_STATE_PRESSED) {
            static_cast<CWlSaver*>(self)->End(0);
        }
    };
    listener.modifiers = [](void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t) {};
    listener.repeat_info = [](void*, wl_keyboard*, std::int32_t, std::int32_t) {};
    return listener;
}();

const xdg_wm_base_listener CWlSaver::kWmBaseListener = [] {
    xdg_wm_base_listener listener{};
    listener.ping = [](void*, xdg_wm_base* wmBase, std::uint32_t serial) {
        xdg_wm_base_pong(wmBase, serial);
    };
    return listener;
}();

CWlSaver::~CWlSaver() {
    m_outputs.clear();
    if (m_pointer != nullptr) {
        LetGo(m_pointer);
    }
    if (m_keyboard != nullptr) {
        LetGo(m_keyboard);
    }
    if (m_seat != nullptr) {
        wl_seat_destroy(m_seat);
    }
    if (m_shell.layerShell != nullptr) {
        zwlr_layer_shell_v1_destroy(m_shell.layerShell);
    }
    if (m_shell.wmBase != nullptr) {
        xdg_wm_base_destroy(m_shell.wmBase);
    }
    if (m_shell.shm != nullptr) {
        wl_shm_destroy(m_shell.shm);
    }
    if (m_shell.compositor != nullptr) {
        wl_compositor_destroy(m_shell.compositor);
    }
    if (m_registry != nullptr) {
        wl_registry_destroy(m_registry);
    }
    wl_display_flush(m_display);
}

void CWlSaver::AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version) {
    const auto bind = [&](const wl_interface* type, std::uint32_t highest) {
        return wl_registry_bind(registry, name, type, std::min(version, highest));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        m_shell.compositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        m_shell.shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        m_shell.layerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, 2));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        m_shell.wmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, 2));
        xdg_wm_base_add_listener(m_shell.wmBase, &kWmBaseListener, this);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && m_seat == nullptr) {
        m_seat = static_cast<wl_seat*>(bind(&wl_seat_interface, 5));
        wl_seat_add_listener(m_seat, &kSeatListener, this);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
        wl_output_add_listener(output->output, &kOutputListener, output.get());
        m_outputs.push_back(std::move(output));
    }
}

// An output that goes takes its picture with it.
void CWlSaver::RemoveGlobal(std::uint32_t name) {
    const auto gone =
        std::find_if(m_outputs.begin(), m_outputs.end(),
                     [name](const std::unique_ptr<Output>& output) { return output->name == name; });
    if (gone == m_outputs.end()) {
        return;
    }
    DropPicture(**gone);
    m_outputs.erase(gone);
}

// The devices forget the picture's surface. When it had the keyboard, a picture
// that is left asks for it: a compositor need not pass it on.
void CWlSaver::DropPicture(Output& output) {
    if (!output.picture) {
        return;
    }
    wl_surface* surface = output.picture->Surface();
    const bool hadKeyboard = m_keyboardOn == surface;
    m_keyboardOn = m_keyboardOn == surface ? nullptr : m_keyboardOn;
    m_pointerOver = m_pointerOver == surface ? nullptr : m_pointerOver;
    output.picture.reset();
    for (const auto& other : m_outputs) {
        if (hadKeyboard && other->picture) {
            other->picture->AskForKeyboard();
            break;
        }
    }
}

// Devices come and go (a virtual keyboard or pointer lasts as long as its
// client): a device that goes is let go, and one that comes is taken anew.
void CWlSaver::OnSeatCapabilities(std::uint32_t capabilities) {
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && m_pointer == nullptr) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &kPointerListener, this);
    } else if (!pointer && m_pointer != nullptr) {
        LetGo(m_pointer);
        m_pointer = nullptr;
        m_pointerOver = nullptr;
    }
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && m_keyboard == nullptr) {
        m_keyboard = wl_seat_get_keyboard(m_seat);
        wl_keyboard_add_listener(m_keyboard, &kKeyboardListener, this);
    } else if (!keyboard && m_keyboard != nullptr) {
        LetGo(m_keyboard);
        m_keyboard = nullptr;
    }
}

CWlSaverSurface* CWlSaver::PictureOf(wl_surface* surface) const {
    for (const auto& output : m_outputs) {
        if (output->picture && output->picture->Surface() == surface) {
            return output->picture.get();
        }
    }
    return nullptr;
}

void CWlSaver::OnMouse(wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
    if (PictureOf(surface) != nullptr && m_input.OnMouseMove(wl_fixed_to_int(x), wl_fixed_to_int(y))) {
        End(0);
    }
}

bool CWlSaver::Connect() {
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistryListener, this);
    // The globals, then what the outputs and the seat say of themselves.
    if (wl_display_roundtrip(m_display) < 0 || wl_display_roundtrip(m_display) < 0) {
        return false;
    }
    return m_shell.compositor != nullptr && m_shell.shm != nullptr &&
           (m_shell.layerShell != nullptr || m_shell.wmBase != nullptr);
}

// Outputs get their pictures once the compositor has described them, also those
// that come later.
void CWlSaver::ShowPictures() {
    for (const auto& output : m_outputs) {
        if (!output->picture && output->width > 0 && !output->dismissed) {
            output->picture = std::make_unique<CWlSaverSurface>(m_shell, output->output, m_speed);
            output->picture->SetOutput(output->scale, output->width, output->height, output->refreshMilliHz);
        }
    }
}

// A picture that cannot be shown ends the run with 1, a fullscreen window that the
// user closes with 0. A layer surface that the compositor takes away is dropped
// (its output may be going); the run ends when no picture is left.
void CWlSaver::JudgeEvents() {
    if (m_bKeyboardLeft && m_keyboardOn == nullptr) {
        End(0);  // the keyboard went to another program's window
    }
    m_bKeyboardLeft = false;
    bool dismissed = false;
    for (const auto& output : m_outputs) {
        if (!output->picture) {
            continue;
        }
        switch (output->picture->GetState()) {
            case CWlSaverSurface::State::Showing:
                break;
            case CWlSaverSurface::State::Dismissed:
                DropPicture(*output);
                output->dismissed = dismissed = true;
                break;
            case CWlSaverSurface::State::CloseRequested:
                End(0);
                break;
            case CWlSaverSurface::State::Failed:
                End(1);
                break;
        }
    }
    if (dismissed && std::none_of(m_outputs.begin(), m_outputs.end(),
                                  [](const auto& o) { return o->picture != nullptr; })) {
        End(0);
    }
}

void CWlSaver::Wait(bool block) {
    PaceTime until = PaceNow() + (block ? kLongestWait : PaceTime(0));
    for (const auto& output : m_outputs) {
        if (output->picture) {
            until = std::min(until, output->picture->NextFrame().value_or(until));
        }
    }
    while (wl_display_prepare_read(m_display) != 0) {
        wl_display_dispatch_pending(m_display);
    }
    wl_display_flush(m_display);
    const PaceTime left = std::max(until - PaceNow(), PaceTime(0));
    const timespec timeout{static_cast<time_t>(left.count() / 1000000000),
                           static_cast<long>(left.count() % 1000000000)};
    pollfd sources[2] = {{wl_display_get_fd(m_display), POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
    ppoll(sources, StopSignalFd() >= 0 ? 2 : 1, &timeout, nullptr);
    if ((sources[0].revents & POLLIN) != 0) {
        wl_display_read_events(m_display);
    } else {
        wl_display_cancel_read(m_display);
    }
    if ((sources[0].revents & (POLLHUP | POLLERR)) != 0 || wl_display_dispatch_pending(m_display) < 0) {
        std::fprintf(stderr, "lucenta: the connection to the Wayland compositor was lost\n");
        End(1);
        return;
    }
    JudgeEvents();
}

void CWlSaver::DrawOneRowEach() {
    for (const auto& output : m_outputs) {
        if (output->picture) {
            output->picture->DrawRow();
        }
    }
}

int CWlSaver::Run() {
    while (!Ending()) {
        ShowPictures();
        const bool paced =
            m_outputs.empty() || !m_outputs.front()->picture || m_outputs.front()->picture->Paced();
        if (!paced) {
            DrawOneRowEach();
        }
        Wait(paced);
        const PaceTime now = PaceNow();
        for (const auto& output : m_outputs) {
            if (output->picture && !Ending()) {
                output->picture->DrawFrame(now);
            }
        }
    }
    return m_status.value_or(0);
}

}  // namespace

std::optional<int> RunWaylandSaver(std::optional<int> speed) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (name == nullptr || name[0] == '\0' ||
        (name[0] != '/' && (runtime == nullptr || runtime[0] == '\0'))) {
        return std::nullopt;  // no compositor named, or none that can be found (libwayland would say so
                              // itself)
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        return std::nullopt;
    }
    std::optional<int> status;
    {
        CWlSaver saver(display, speed);
        if (saver.Connect()) {
            status = saver.Run();
        }
    }
    wl_display_disconnect(display);
    return status;
}
