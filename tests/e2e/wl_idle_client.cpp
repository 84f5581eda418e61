// wl_idle_client inhibit | activity: what a video player and a user do to the
// idle time of a Wayland compositor (WAYLAND_DISPLAY), for the idle watcher's tests.
//   inhibit   shows a small window with an idle inhibitor (idle-inhibit-unstable-v1)
//             on it, says "inhibiting" on stdout, and holds it until stdin closes
//   activity  tells the compositor of user activity as KDE's idle protocol lets a
//             client do (org_kde_kwin_idle_timeout.simulate_user_activity)
// Exit status 1 when the compositor lacks what the step needs.
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/wayland/WaylandShm.h"
#include "platform/wayland/idle-client-protocol.h"
#include "platform/wayland/idle-inhibit-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-shell-client-protocol.h"

namespace {

struct Globals {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* wmBase = nullptr;
    zwp_idle_inhibit_manager_v1* inhibitManager = nullptr;
    org_kde_kwin_idle* kdeIdle = nullptr;
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t) {
    auto* g = static_cast<Globals*>(data);
    const auto is = [interface](const wl_interface& type) { return std::strcmp(interface, type.name) == 0; };
    const auto bind = [&](const wl_interface& type, std::uint32_t version = 1) {
        return wl_registry_bind(registry, name, &type, version);
    };
    if (is(wl_compositor_interface)) {
        g->compositor = static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));  // 4: damage_buffer
    } else if (is(wl_shm_interface)) {
        g->shm = static_cast<wl_shm*>(bind(wl_shm_interface));
    } else if (is(wl_seat_interface) && g->seat == nullptr) {
        g->seat = static_cast<wl_seat*>(bind(wl_seat_interface));
    } else if (is(xdg_wm_base_interface)) {
        g->wmBase = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface));
    } else if (is(zwp_idle_inhibit_manager_v1_interface)) {
        g->inhibitManager =
            static_cast<zwp_idle_inhibit_manager_v1*>(bind(zwp_idle_inhibit_manager_v1_interface));
    } else if (is(org_kde_kwin_idle_interface)) {
        g->kdeIdle = static_cast<org_kde_kwin_idle*>(bind(org_kde_kwin_idle_interface));
    }
}

// A window of 64x64 pixels with the inhibitor on it, held until stdin closes.
int Inhibit(wl_display* display, Globals& g) {
    if (g.inhibitManager == nullptr || g.wmBase == nullptr) {
        std::fprintf(stderr, "wl_idle_client: the compositor offers no idle inhibitors\n");
        return 1;
    }
    static const xdg_wm_base_listener ping = {
        [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); }};
    xdg_wm_base_add_listener(g.wmBase, &ping, nullptr);
    wl_surface* surface = wl_compositor_create_surface(g.compositor);
    xdg_surface* window = xdg_wm_base_get_xdg_surface(g.wmBase, surface);
    static const xdg_surface_listener configure = {
        [](void*, xdg_surface* s, std::uint32_t serial) { xdg_surface_ack_configure(s, serial); }};
    xdg_surface_add_listener(window, &configure, nullptr);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(window);
    xdg_toplevel_set_title(toplevel, "player");
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    auto rows = MakeShmRows(g.shm, surface, 64, 64);
    rows->Attach(0, 64, [] {});
    zwp_idle_inhibitor_v1* inhibitor =
        zwp_idle_inhibit_manager_v1_create_inhibitor(g.inhibitManager, surface);
    wl_surface_commit(surface);
    wl_display_roundtrip(display);
    std::printf("inhibiting\n");
    std::fflush(stdout);
    pollfd wait[2] = {{STDIN_FILENO, POLLIN, 0}, {wl_display_get_fd(display), POLLIN, 0}};
    char byte = 0;
    while (poll(wait, 2, -1) >= 0 &&
           !((wait[0].revents & (POLLIN | POLLHUP)) && read(STDIN_FILENO, &byte, 1) <= 0)) {
        if ((wait[1].revents & POLLIN) != 0 && wl_display_dispatch(display) < 0) {
            return 1;
        }
    }
    zwp_idle_inhibitor_v1_destroy(inhibitor);
    rows.reset();
    xdg_toplevel_destroy(toplevel);
    xdg_surface_destroy(window);
    wl_surface_destroy(surface);
    return 0;
}

int Activity(wl_display* display, Globals& g) {
    if (g.kdeIdle == nullptr || g.seat == nullptr) {
        std::fprintf(stderr, "wl_idle_client: the compositor offers no KDE idle protocol\n");
        return 1;
    }
    org_kde_kwin_idle_timeout* timeout = org_kde_kwin_idle_get_idle_timeout(g.kdeIdle, g.seat, 3600000);
    org_kde_kwin_idle_timeout_simulate_user_activity(timeout);
    org_kde_kwin_idle_timeout_release(timeout);
    return wl_display_roundtrip(display) < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string step = argc == 2 ? argv[1] : "";
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr || (step != "inhibit" && step != "activity")) {
        std::fprintf(stderr, "usage: wl_idle_client inhibit|activity (with a Wayland compositor)\n");
        return 1;
    }
    Globals globals;
    static const wl_registry_listener listener = {OnGlobal, [](void*, wl_registry*, std::uint32_t) {}};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &globals);
    wl_display_roundtrip(display);
    const int status = step == "inhibit" ? Inhibit(display, globals) : Activity(display, globals);
    for (void* global : {static_cast<void*>(globals.compositor), static_cast<void*>(globals.shm),
                         static_cast<void*>(globals.seat), static_cast<void*>(globals.wmBase),
                         static_cast<void*>(globals.inhibitManager), static_cast<void*>(globals.kdeIdle)}) {
        if (global != nullptr) {
            wl_proxy_destroy(static_cast<wl_proxy*>(global));
        }
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return status;
}
