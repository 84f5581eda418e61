#include "platform/x11/X11Monitors.h"

#include <X11/extensions/Xrandr.h>

namespace {

bool HasRandr(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    return XRRQueryExtension(display, &eventBase, &errorBase) != 0;
}

std::int64_t MilliHzOf(const XRRModeInfo& mode) {
    double lines = mode.vTotal;
    if ((mode.modeFlags & RR_DoubleScan) != 0) {
        lines *= 2;
    }
    if ((mode.modeFlags & RR_Interlace) != 0) {
        lines /= 2;
    }
    const double dots = lines * mode.hTotal;
    return dots > 0 ? static_cast<std::int64_t>(1000.0 * static_cast<double>(mode.dotClock) / dots + 0.5) : 0;
}

}  // namespace

std::vector<XRectangle> Monitors(Display* display) {
    const int screen = DefaultScreen(display);
    std::vector<XRectangle> monitors;
    if (HasRandr(display)) {
        int count = 0;
        if (XRRMonitorInfo* info = XRRGetMonitors(display, RootWindow(display, screen), True, &count)) {
            for (int k = 0; k < count; ++k) {
                monitors.push_back({static_cast<short>(info[k].x), static_cast<short>(info[k].y),
                                    static_cast<unsigned short>(info[k].width),
                                    static_cast<unsigned short>(info[k].height)});
            }
            XRRFreeMonitors(info);
        }
    }
    if (monitors.empty()) {
        monitors.push_back({0, 0, static_cast<unsigned short>(DisplayWidth(display, screen)),
                            static_cast<unsigned short>(DisplayHeight(display, screen))});
    }
    return monitors;
}

void WatchMonitors(Display* display) {
    XSelectInput(display, DefaultRootWindow(display), StructureNotifyMask);
    if (HasRandr(display)) {
        XRRSelectInput(display, DefaultRootWindow(display),
                       RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask);
    }
}

bool ChangesMonitors(Display* display, XEvent& event) {
    int eventBase = 0;
    int errorBase = 0;
    const bool randr = XRRQueryExtension(display, &eventBase, &errorBase) != 0 &&
                       (event.type == eventBase + RRScreenChangeNotify || event.type == eventBase + RRNotify);
    const bool root = event.type == ConfigureNotify && event.xconfigure.window == DefaultRootWindow(display);
    if (randr || root) {
        XRRUpdateConfiguration(&event);  // Xlib's idea of the screen's size follows
    }
    return randr || root;
}

std::int64_t RefreshMilliHzAt(Display* display, int x, int y) {
    if (!HasRandr(display)) {
        return 0;
    }
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (resources == nullptr) {
        return 0;
    }
    std::int64_t milliHz = 0;
    for (int c = 0; c < resources->ncrtc && milliHz == 0; ++c) {
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(display, resources, resources->crtcs[c]);
        if (crtc == nullptr) {
            continue;
        }
        const bool shows = crtc->mode != None && x >= crtc->x && y >= crtc->y &&
                           x < crtc->x + static_cast<int>(crtc->width) &&
                           y < crtc->y + static_cast<int>(crtc->height);
        for (int m = 0; shows && m < resources->nmode; ++m) {
            if (resources->modes[m].id == crtc->mode) {
                milliHz = MilliHzOf(resources->modes[m]);
            }
        }
        XRRFreeCrtcInfo(crtc);
    }
    XRRFreeScreenResources(resources);
    return milliHz;
}
