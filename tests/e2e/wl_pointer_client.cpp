// wl_pointer_client STEP...: a pointer of its own on a wlroots compositor's seat
// (WAYLAND_DISPLAY), driven by steps, for the Wayland tests:
//   move DX DY   move by DX, DY in compositor space
//   click        press and release the left button
//   wait MS      pause, as a user would
// The seat has a pointer for as long as this runs. Exit status 1 when the
// compositor offers no virtual pointers.
#include <linux/input-event-codes.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals->seat == nullptr) {
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    }
}

std::uint32_t Milliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

int main(int argc, char** argv) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "wl_pointer_client: no Wayland compositor\n");
        return 1;
    }
    Globals globals;
    wl_registry_listener listener{};
    listener.global = OnGlobal;
    listener.global_remove = [](void*, wl_registry*, std::uint32_t) {};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &globals);
    wl_display_roundtrip(display);
    if (globals.manager == nullptr) {
        std::fprintf(stderr, "wl_pointer_client: the compositor offers no virtual pointers\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    for (int k = 1; k < argc; ++k) {
        const std::string step = argv[k];
        if (step == "move" && k + 2 < argc) {
            zwlr_virtual_pointer_v1_motion(pointer, Milliseconds(), wl_fixed_from_int(std::atoi(argv[k + 1])),
                                           wl_fixed_from_int(std::atoi(argv[k + 2])));
            k += 2;
        } else if (step == "click") {
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_PRESSED);
            zwlr_virtual_pointer_v1_frame(pointer);
            zwlr_virtual_pointer_v1_button(pointer, Milliseconds(), BTN_LEFT,
                                           WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (step == "wait" && k + 1 < argc) {
            usleep(static_cast<useconds_t>(std::atoi(argv[++k]) * 1000));
            continue;
        } else {
            std::fprintf(stderr, "wl_pointer_client: no such step: %s\n", step.c_str());
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        wl_display_roundtrip(display);
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    if (globals.seat != nullptr) {
        wl_seat_destroy(globals.seat);
    }
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
