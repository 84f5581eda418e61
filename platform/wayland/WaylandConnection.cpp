#include "platform/wayland/WaylandConnection.h"

#include <poll.h>

#include <cstdio>

#include "platform/posix/InputWait.h"

bool ReadWaylandEvents(wl_display* display, const PaceTime* deadline) {
    while (wl_display_prepare_read(display) != 0) {
        wl_display_dispatch_pending(display);
    }
    wl_display_flush(display);
    const int fd = wl_display_get_fd(display);
    const short ready = deadline != nullptr ? WaitForInput(fd, *deadline) : PollForInput(fd);
    if ((ready & POLLIN) != 0) {
        wl_display_read_events(display);
    } else {
        wl_display_cancel_read(display);
    }
    if ((ready & (POLLHUP | POLLERR)) != 0 || wl_display_dispatch_pending(display) < 0) {
        std::fprintf(stderr, "lucenta: the connection to the Wayland compositor was lost\n");
        return false;
    }
    return true;
}
