// wl_test_client STEP...: what a user and a video player do on a Wayland
// compositor (WAYLAND_DISPLAY), for the Wayland tests, step by step:
//   move DX DY   move a pointer of its own by DX, DY in compositor space
//   click        press and release that pointer's left button
//   wait MS      pause, as a user would
//   activity     tell of user activity as KDE's idle protocol lets a client do
//   inhibit      show a small window with an idle inhibitor on it, say
//                "inhibiting" on stdout, and hold it until stdin closes
// The seat has the pointer for as long as this runs. Exit status 1 when the
// compositor lacks what a step needs.
#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/wayland/WaylandShm.h"
#include "platform/wayland/idle-client-protocol.h"
#include "platform/wayland/idle-inhibit-unstable-v1-client-protocol.h"
#include "platform/wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"

namespace {

struct Globals {
    wl_display* display = nullptr;
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager = nullptr;
    zwlr_virtual_pointer_v1* pointer = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto* g = static_cast<Globals*>(data);
    const auto bind = [&](auto& global, const wl_interface& type, std::uint32_t version = 1) {
        if (std::strcmp(interface, type.name) == 0 && global == nullptr) {
            global = static_cast<std::remove_reference_t<decltype(global)>>(
                wl_registry_bind(registry, name, &type, version));
        }
    };
    bind(g->compositor, wl_compositor_interface, 4);  // 4: damage_buffer
    bind(g->shm, wl_shm_interface);
    bind(g->seat, wl_seat_interface);
    bind(g->wmBase, xdg_wm_base_interface);
    bind(g->inhibitManager, zwp_idle_inhibit_manager_v1_interface);
    bind(g->kdeIdle, org_kde_kwin_idle_interface);
    bind(g->pointerManager, zwlr_virtual_pointer_manager_v1_interface);
}

std::uint32_t Milliseconds() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool Lacks(const void* global, const char* what) {
    if (global == nullptr) {
        std::fprintf(stderr, "wl_test_client: the compositor offers no %s\n", what);
    }
    return global == nullptr;
}

// A window of 64x64 pixels with the inhibitor on it, held until stdin closes.
bool Inhibit(Globals& g) {
    if (Lacks(g.inhibitManager, "idle inhibitors") || Lacks(g.wmBase, "toplevel windows")) {
        return false;
    }
    static const xdg_wm_base_listener ping = {
        [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
    static const xdg_surface_listener configure = {
        [](void*, xdg_surface* window, std::uint32_t serial) { xdg_surface_ack_configure(window, serial); }};
    xdg_wm_base_add_listener(g.wmBase, &ping, nullptr);
    wl_surface* surface = wl_compositor_create_surface(g.compositor);
    xdg_surface* window = xdg_wm_base_get_xdg_surface(g.wmBase, surface);
    xdg_surface_add_listener(window, &configure, nullptr);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(window);
    wl_surface_commit(surface);
    wl_display_roundtrip(g.display);
    auto rows = MakeShmRows(g.shm, surface, 64, 64);
    rows->Attach(0, 64, [] {});
    zwp_idle_inhibitor_v1* inhibitor =
        zwp_idle_inhibit_manager_v1_create_inhibitor(g.inhibitManager, surface);
    wl_surface_commit(surface);
    wl_display_roundtrip(g.display);
    std::printf("inhibiting\n");
    std::fflush(stdout);
    pollfd wait[2] = {{STDIN_FILENO, POLLIN, 0}, {wl_display_get_fd(g.display), POLLIN, 0}};
    char byte = 0;
    while (poll(wait, 2, -1) >= 0 &&
           !((wait[0].revents & (POLLIN | POLLHUP)) && read(STDIN_FILENO, &byte, 1) <= 0)) {
        if ((wait[1].revents & POLLIN) != 0 && wl_display_dispatch(g.display) < 0) {
            return false;
        }
    }
    zwp_idle_inhibitor_v1_destroy(inhibitor);
    rows.reset();
    xdg_toplevel_destroy(toplevel);
    xdg_surface_destroy(window);
    wl_surface_destroy(surface);
    return true;
}

bool Activity(Globals& g) {
    if (Lacks(g.kdeIdle, "KDE idle protocol") || Lacks(g.seat, "seat")) {
        return false;
    }
    org_kde_kwin_idle_timeout* timeout = org_kde_kwin_idle_get_idle_timeout(g.kdeIdle, g.seat, 3600000);
    org_kde_kwin_idle_timeout_simulate_user_activity(timeout);
    org_kde_kwin_idle_timeout_release(timeout);
    return true;
}

// The pointer's step at argv[k] (with its arguments).
void Point(Globals& g, const std::string& step, char** argv, int& k) {
    if (step == "move") {
        zwlr_virtual_pointer_v1_motion(g.pointer, Milliseconds(), wl_fixed_from_int(std::atoi(argv[k + 1])),
                                       wl_fixed_from_int(std::atoi(argv[k + 2])));
        k += 2;
    } else {
        zwlr_virtual_pointer_v1_button(g.pointer, Milliseconds(), BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
        zwlr_virtual_pointer_v1_frame(g.pointer);
        zwlr_virtual_pointer_v1_button(g.pointer, Milliseconds(), BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    }
    zwlr_virtual_pointer_v1_frame(g.pointer);
}

// The pointer comes first, so that the compositor and its clients know of it
// by the time the steps move it: the seat has it from the start.
bool RunSteps(Globals& g, int argc, char** argv) {
    const bool points = std::any_of(argv + 1, argv + argc, [](const char* step) {
        return std::strcmp(step, "move") == 0 || std::strcmp(step, "click") == 0;
    });
    if (points && Lacks(g.pointerManager, "virtual pointers")) {
        return false;
    }
    if (points) {
        g.pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointerManager, g.seat);
        wl_display_roundtrip(g.display);
    }
    for (int k = 1; k < argc; ++k) {
        const std::string step = argv[k];
        bool done = true;
        if ((step == "move" && k + 2 < argc) || step == "click") {
            Point(g, step, argv, k);
        } else if (step == "wait" && k + 1 < argc) {
            usleep(static_cast<useconds_t>(std::atoi(argv[++k]) * 1000));
        } else if (step == "inhibit" || step == "activity") {
            done = step == "inhibit" ? Inhibit(g) : Activity(g);
        } else {
            std::fprintf(stderr, "wl_test_client: no such step: %s\n", step.c_str());
            return false;
        }
        if (!done || wl_display_roundtrip(g.display) < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Globals g;
    g.display = wl_display_connect(nullptr);
    if (g.display == nullptr) {
        std::fprintf(stderr, "wl_test_client: no Wayland compositor\n");
        return 1;
    }
    static const wl_registry_listener listener = {OnGlobal, [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(g.display);
    wl_registry_add_listener(registry, &listener, &g);
    wl_display_roundtrip(g.display);
    const bool done = RunSteps(g, argc, argv);
    for (void* proxy : {static_cast<void*>(g.pointer), static_cast<void*>(g.pointerManager),
                        static_cast<void*>(g.compositor), static_cast<void*>(g.shm),
                        static_cast<void*>(g.seat), static_cast<void*>(g.wmBase),
                        static_cast<void*>(g.inhibitManager), static_cast<void*>(g.kdeIdle)}) {
        if (proxy != nullptr) {
            wl_proxy_destroy(static_cast<wl_proxy*>(proxy));
        }
    }
    wl_registry_destroy(registry);
    wl_display_roundtrip(g.display);
    wl_display_disconnect(g.display);
    return done ? 0 : 1;
}
