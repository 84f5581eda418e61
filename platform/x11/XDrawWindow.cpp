#include "platform/x11/XDrawWindow.h"

#include <poll.h>

#include <cstdio>

#include "platform/x11/StopSignals.h"

namespace {

constexpr int kWaitSliceMs = 100;  // a stop signal is seen within this while waiting for events

Window g_drawnWindow = None;
volatile bool g_windowGone = false;

// Xlib's own handler ends the process on any error. Here an error about the
// window being drawn in (destroyed by its owner) ends the saver in order; any
// other is reported and drawing goes on.
extern "C" int OnXError(Display* display, XErrorEvent* error) {
    if (error->resourceid == g_drawnWindow &&
        (error->error_code == BadWindow || error->error_code == BadDrawable)) {
        g_windowGone = true;
        return 0;
    }
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "lucenta: X error: %s (request %d)\n", text, error->request_code);
    return 0;
}

}  // namespace

CXDrawWindow::CXDrawWindow(Display* display) : m_display(display) {
    XSetErrorHandler(OnXError);
}

CXDrawWindow::~CXDrawWindow() {
    g_drawnWindow = None;
}

bool CXDrawWindow::Adopt(Window window) {
    g_drawnWindow = window;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_display, window, &attributes) == 0) {
        std::fprintf(stderr, "lucenta: there is no window 0x%lx to draw in\n", window);
        return false;
    }
    m_bAdopted = true;
    XSelectInput(m_display, window, StructureNotifyMask | ExposureMask);
    return Attach(window, attributes.visual, attributes.depth, attributes.width, attributes.height);
}

bool CXDrawWindow::Attach(Window window, Visual* visual, int depth, int width, int height) {
    if (!CXRowSurface::IsDrawable(visual)) {
        std::fprintf(stderr,
                     "lucenta: the window's visual has no red, green and blue channels to draw with\n");
        return false;
    }
    g_drawnWindow = window;
    m_window = window;
    m_visual = visual;
    m_depth = depth;
    OnSize(width, height);
    return true;
}

void CXDrawWindow::OnSize(int width, int height) {
    m_width = width;
    m_height = height;
    m_canvas.Setup(width, height);
    m_surface = std::make_unique<CXRowSurface>(m_display, m_window, m_visual, m_depth, width, height);
}

int CXDrawWindow::Run() {
    while (!m_bAdopted && !m_bExposed && !Stopping()) {
        WaitForEvents();
        PumpPendingEvents();
    }
    if (m_bAdopted) {
        m_surface->Fill(m_canvas.Background());
    }
    while (!Stopping()) {
        m_canvas.DrawNextRow(*m_surface);
        PumpPendingEvents();
    }
    return 0;
}

bool CXDrawWindow::Stopping() const {
    return m_bStop || g_windowGone || StopRequested();
}

void CXDrawWindow::WaitForEvents() const {
    if (XPending(m_display) > 0) {
        return;
    }
    pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
    poll(&connection, 1, kWaitSliceMs);  // a signal ends the wait early
}

void CXDrawWindow::PumpPendingEvents() {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        Dispatch(event);
    }
    OnIdle();
}

void CXDrawWindow::Dispatch(const XEvent& event) {
    if (event.xany.window != m_window) {
        return;
    }
    switch (event.type) {
        case ConfigureNotify:
            if (event.xconfigure.width != m_width || event.xconfigure.height != m_height) {
                OnSize(event.xconfigure.width, event.xconfigure.height);  // the picture starts over
            }
            break;
        case Expose:
            OnExpose(event.xexpose);
            break;
        case DestroyNotify:
            Close();
            break;
        default:
            break;
    }
    OnEvent(event);
}

// An exposure arrives as a series of Expose events, the last with count 0. The
// first exposure of a window of its own starts the frame loop; a later one ends
// it, as a further paint request does. Every exposed area is filled with the
// background first.
void CXDrawWindow::OnExpose(const XExposeEvent& expose) {
    m_surface->FillArea(expose.x, expose.y, expose.width, expose.height, m_canvas.Background());
    const bool sameExposure = m_nExposuresLeft > 0;
    m_nExposuresLeft = expose.count;
    if (!m_bExposed) {
        m_bExposed = true;
    } else if (!sameExposure && !m_bAdopted) {
        Close();
    }
}
