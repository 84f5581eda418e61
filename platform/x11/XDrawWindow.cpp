#include "platform/x11/XDrawWindow.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/x11/XMonitors.h"
#include "settings/Speed.h"

namespace {

std::vector<Window> g_drawnWindows;
volatile bool g_windowGone = false;

// Xlib's own handler ends the process on any error. Here an error about a window
// being drawn in (destroyed by its owner) ends the saver in order; any other is
// reported and drawing goes on.
extern "C" int OnXError(Display* display, XErrorEvent* error) {
    const bool drawn =
        std::find(g_drawnWindows.begin(), g_drawnWindows.end(), error->resourceid) != g_drawnWindows.end();
    if (drawn && (error->error_code == BadWindow || error->error_code == BadDrawable)) {
        g_windowGone = true;
        return 0;
    }
    char text[256];
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "lucenta: X error: %s (request %d)\n", text, error->request_code);
    return 0;
}

void Forget(Window window) {
    g_drawnWindows.erase(std::remove(g_drawnWindows.begin(), g_drawnWindows.end(), window),
                         g_drawnWindows.end());
}

}  // namespace

bool DrawnWindowGone() {
    return g_windowGone;
}

CXDrawWindow::CXDrawWindow(Display* display, std::optional<int> speed)
    : m_display(display), m_speed(SaverSpeed(speed, m_canvas.Settings(), kPacedDefaultSpeed)) {
    XSetErrorHandler(OnXError);
}

// The surface goes first: its last requests may still draw in the window, and an
// error about a window gone by then must still be known as one.
CXDrawWindow::~CXDrawWindow() {
    m_surface.reset();
    if (m_window != None) {
        XSync(m_display, False);
        Forget(m_window);
    }
}

// From here on, an error about the window means that it is gone.
void CXDrawWindow::Track(Window window) {
    m_window = window;
    if (std::find(g_drawnWindows.begin(), g_drawnWindows.end(), window) == g_drawnWindows.end()) {
        g_drawnWindows.push_back(window);
    }
}

bool CXDrawWindow::Adopt(Window window) {
    Track(window);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(m_display, window, &attributes) == 0) {
        std::fprintf(stderr, "lucenta: there is no window 0x%lx to draw in\n", window);
        return false;
    }
    if (attributes.c_class == InputOnly) {
        std::fprintf(stderr, "lucenta: the window 0x%lx takes input only; nothing can be drawn in it\n",
                     window);
        return false;
    }
    m_bAdopted = true;
    XSelectInput(m_display, window, StructureNotifyMask | ExposureMask);
    if (!Attach(window, attributes.visual, attributes.depth, attributes.width, attributes.height)) {
        return false;
    }
    m_surface->Fill(m_canvas.Background());
    StartDrawing();
    return true;
}

bool CXDrawWindow::Attach(Window window, Visual* visual, int depth, int width, int height) {
    Track(window);
    if (!CXRowSurface::IsDrawable(visual)) {
        std::fprintf(stderr, "lucenta: the window's visual is not TrueColor; its colours cannot be drawn\n");
        return false;
    }
    m_visual = visual;
    m_depth = depth;
    return SetUp(width, height);
}

bool CXDrawWindow::SetUp(int width, int height) {
    m_width = m_pendingWidth = width;
    m_height = m_pendingHeight = height;
    m_canvas.Setup(width, height);
    m_surface.reset();  // its shared memory goes before the next is made
    m_surface = CXRowSurface::Create(m_display, m_window, m_visual, m_depth, width, height);
    if (!m_surface) {
        std::fprintf(stderr, "lucenta: cannot make an image of %dx%d pixels for the window\n", width, height);
        m_bFailed = true;
        Close();
        return false;
    }
    return true;
}

// The picture starts over from the starting row; the frames are timed on the
// display that shows the window's centre.
void CXDrawWindow::StartDrawing() {
    m_bDrawing = true;
    int x = 0;
    int y = 0;
    Window child = None;
    XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), m_width / 2, m_height / 2, &x,
                          &y, &child);
    const PaceTime now = PaceNow();
    m_pacer = CRowPacer(m_speed, now);
    m_frames = CFrameClock(RefreshMilliHzAt(m_display, x, y), now);
}

void CXDrawWindow::Dispatch(const XEvent& event) {
    switch (event.type) {
        case ConfigureNotify:
            m_pendingWidth = event.xconfigure.width;
            m_pendingHeight = event.xconfigure.height;
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

// The picture starts over, from the background.
void CXDrawWindow::ApplyPendingSize() {
    if ((m_pendingWidth != m_width || m_pendingHeight != m_height) && !m_bFailed &&
        SetUp(m_pendingWidth, m_pendingHeight) && m_bDrawing) {
        m_surface->Fill(m_canvas.Background());
        m_pacer = CRowPacer(m_speed, PaceNow());
    }
}

// An exposure arrives as a series of Expose events, the last with count 0. The
// first exposure of a window of its own starts the drawing; a later one ends it,
// as a further paint request does, unless the saver moved or sized the window
// itself. Every exposed area is filled with the background first.
void CXDrawWindow::OnExpose(const XExposeEvent& expose) {
    if (m_surface) {
        m_surface->FillArea(expose.x, expose.y, expose.width, expose.height, m_canvas.Background());
    }
    const bool sameExposure = m_nExposuresLeft > 0;
    m_nExposuresLeft = expose.count;
    if (!m_bDrawing) {
        if (expose.count == 0) {
            StartDrawing();
        }
        return;
    }
    if (!sameExposure && !m_bAdopted && !m_bExposureExpected) {
        Close();
    }
    if (expose.count == 0) {
        m_bExposureExpected = false;
    }
}

void CXDrawWindow::DrawRow() {
    m_canvas.DrawNextRow(*m_surface);
    m_surface->Present();
}

PaceTime CXDrawWindow::NextFrame() const {
    return m_frames.DeadlineFrom(m_pacer.NextRowDue());
}

void CXDrawWindow::DrawFrame(PaceTime now) {
    const std::int64_t rows = m_pacer.TakeRowsDue(now);
    if (rows > 0) {
        m_canvas.DrawRows(*m_surface, rows);
        m_surface->Present();
    }
}
