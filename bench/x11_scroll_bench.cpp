// The two baselines of the X11 row rate, on a full-screen window like the saver's:
//   x11_scroll_bench scroll SECONDS   only the scroll of the whole window by one pixel (the ceiling)
//   x11_scroll_bench naive SECONDS    a row drawn pixel by pixel (XSetForeground + XDrawPoint), then the
//   scroll
// Both handle pending events after every row and sync as often as the saver does.
// Prints the rows per second.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned kRowsPerSync = 16;  // as the saver

Window CreateFullScreen(Display* display, int& width, int& height) {
    const int screen = DefaultScreen(display);
    width = DisplayWidth(display, screen);
    height = DisplayHeight(display, screen);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.event_mask = ExposureMask;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
    XMapRaised(display, window);
    XEvent event;
    do {
        XNextEvent(display, &event);
    } while (event.type != Expose);
    return window;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "scroll") != 0 && std::strcmp(argv[1], "naive") != 0)) {
        std::fprintf(stderr, "usage: x11_scroll_bench scroll|naive SECONDS\n");
        return 2;
    }
    const bool naive = std::strcmp(argv[1], "naive") == 0;
    const double seconds = std::atof(argv[2]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "x11_scroll_bench: cannot open the display\n");
        return 1;
    }
    int width = 0;
    int height = 0;
    const Window window = CreateFullScreen(display, width, height);
    XGCValues values{};
    values.graphics_exposures = False;
    const GC gc = XCreateGC(display, window, GCGraphicsExposures, &values);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    unsigned long rows = 0;
    for (; std::chrono::duration<double>(Clock::now() - start).count() < seconds; ++rows) {
        if (naive) {
            for (int x = 0; x < width; ++x) {
                XSetForeground(display, gc, static_cast<unsigned long>(x * 2654435761u) & 0xFFFFFF);
                XDrawPoint(display, window, gc, x, height - 1);
            }
        }
        XCopyArea(display, window, window, gc, 0, 1, static_cast<unsigned>(width),
                  static_cast<unsigned>(height - 1), 0, 0);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        if ((rows + 1) % kRowsPerSync == 0) {
            XSync(display, False);
        }
    }
    XSync(display, False);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%.0f\n", static_cast<double>(rows) / elapsed);
    XCloseDisplay(display);
    return 0;
}
