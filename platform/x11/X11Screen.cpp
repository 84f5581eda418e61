#include "platform/x11/X11Screen.h"

#include <X11/Xutil.h>

#include <cstdio>
#include <vector>

#include "platform/x11/X11Events.h"
#include "platform/x11/X11Monitors.h"

namespace {

// Another client (a menu, a screen locker) may hold the keyboard or the pointer
// for a moment; the grabs are tried again this often, for this long.
constexpr std::chrono::milliseconds kGrabRetry(50);
constexpr std::chrono::milliseconds kGrabPatience(2000);

Cursor CreateInvisibleCursor(Display* display, Window window) {
    const char noBits[1] = {0};
    const Pixmap empty = XCreateBitmapFromData(display, window, noBits, 1, 1);
    XColor black{};
    const Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
    return cursor;
}

bool SameArea(const XRectangle& a, const XRectangle& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

}  // namespace

std::unique_ptr<CX11Screen> CX11Screen::Cover(CX11Connection& connection, const XRectangle& area,
                                              bool takesInput) {
    std::unique_ptr<CX11Screen> screen(new CX11Screen(connection));
    screen->m_bTakesInput = takesInput;
    if (!screen->CreateOwnWindow(area)) {
        return nullptr;
    }
    XMapRaised(connection.Get(), screen->m_window);
    return screen;
}

std::unique_ptr<CX11Screen> CX11Screen::Lend(CX11Connection& connection, Window window) {
    std::unique_ptr<CX11Screen> screen(new CX11Screen(connection));
    Display* display = connection.Get();
    screen->m_bLent = true;
    screen->m_window = window;
    connection.TrackWindow(window);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        std::fprintf(stderr, "lucenta: there is no window 0x%lx to draw in\n", window);
        return nullptr;
    }
    if (attributes.c_class == InputOnly) {
        std::fprintf(stderr, "lucenta: the window 0x%lx takes input only; nothing can be drawn in it\n",
                     window);
        return nullptr;
    }
    XSelectInput(display, window, StructureNotifyMask | ExposureMask);
    if (!screen->Attach(attributes.visual, attributes.depth, attributes.width, attributes.height)) {
        return nullptr;
    }
    screen->m_bShown = true;  // the lender's window is on the screen already
    return screen;
}

// The surface goes first: its last requests may still draw in the window, and an
// error about a window gone by then must still be known as one.
CX11Screen::~CX11Screen() {
    m_surface.reset();
    if (m_invisibleCursor != None) {
        XFreeCursor(m_display, m_invisibleCursor);
    }
    if (m_window != None && !m_bLent) {
        XDestroyWindow(m_display, m_window);
    }
    if (m_window != None) {
        XSync(m_display, False);
        m_connection.ForgetWindow(m_window);
    }
}

bool CX11Screen::CreateOwnWindow(const XRectangle& area) {
    m_area = area;
    const int screen = DefaultScreen(m_display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixmap = None;  // never erased by the server: exposures are filled here
    attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask |
                            PointerMotionMask | FocusChangeMask;
    m_window = XCreateWindow(m_display, RootWindow(m_display, screen), area.x, area.y, area.width,
                             area.height, 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixmap | CWEventMask, &attributes);
    m_connection.TrackWindow(m_window);
    XStoreName(m_display, m_window, "Lucenta");
    XClassHint hint{const_cast<char*>("lucenta"), const_cast<char*>("Lucenta")};
    XSetClassHint(m_display, m_window, &hint);
    m_invisibleCursor = CreateInvisibleCursor(m_display, m_window);
    XDefineCursor(m_display, m_window, m_invisibleCursor);
    return Attach(DefaultVisual(m_display, screen), DefaultDepth(m_display, screen), area.width, area.height);
}

bool CX11Screen::Attach(Visual* visual, int depth, int width, int height) {
    if (!CX11Surface::IsDrawable(visual)) {
        std::fprintf(stderr, "lucenta: the window's visual is not TrueColor; its colours cannot be drawn\n");
        return false;
    }
    m_visual = visual;
    m_depth = depth;
    return MakeSurface(width, height);
}

// A new surface for a new size (the loop starts the picture over on it); its
// frames are those of the display that shows the window's centre.
bool CX11Screen::MakeSurface(int width, int height) {
    m_width = m_pendingWidth = width;
    m_height = m_pendingHeight = height;
    m_surface.reset();  // its shared memory goes before the next is made
    m_surface = CX11Surface::Create(m_display, m_window, m_visual, m_depth, width, height);
    if (!m_surface) {
        std::fprintf(stderr, "lucenta: cannot make an image of %dx%d pixels for the window\n", width, height);
        return false;
    }
    int x = 0;
    int y = 0;
    Window child = None;
    XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), width / 2, height / 2, &x, &y,
                          &child);
    m_refreshMilliHz = RefreshMilliHzAt(m_display, x, y);
    m_frames = CFrameClock(m_refreshMilliHz, PaceNow());
    m_generation = NextScreenGeneration();
    return true;
}

ScreenShape CX11Screen::Shape() const {
    return {m_bShown ? m_surface.get() : nullptr, m_width, m_height, m_refreshMilliHz, m_generation};
}

void CX11Screen::MoveTo(const XRectangle& area) {
    if (!m_bLent && !SameArea(area, m_area)) {
        m_area = area;
        XMoveResizeWindow(m_display, m_window, area.x, area.y, area.width, area.height);
    }
}

void CX11Screen::Dispatch(const XEvent& event, std::vector<SaverEvent>& events) {
    switch (event.type) {
        case ConfigureNotify:
            m_pendingWidth = event.xconfigure.width;
            m_pendingHeight = event.xconfigure.height;
            break;
        case Expose:
            OnExpose(event.xexpose);
            break;
        case DestroyNotify:
            events.push_back(SaverEvent::Of(SaverEvent::Kind::ScreenGone));
            break;
        case MapNotify:
            if (m_bTakesInput) {
                OnMapped();
            }
            break;
        default:
            if (auto input = m_bLent ? std::nullopt : InputEventOf(event, m_bKeyboardGrabbed)) {
                events.push_back(*input);
            }
            break;
    }
}

// An exposure arrives as a series of Expose events, the last with count 0. The
// first exposure of a window of its own shows the picture; a later one is noted
// for the backend, which tells a window passing over it from a screen that
// changes. Every exposed area is filled with the background first.
void CX11Screen::OnExpose(const XExposeEvent& expose) {
    if (m_surface) {
        m_surface->FillExposed(expose.x, expose.y, expose.width, expose.height);
    }
    const bool sameExposure = m_nExposuresLeft > 0;
    m_nExposuresLeft = expose.count;
    if (!m_bShown) {
        m_bShown = expose.count == 0;
        return;
    }
    m_bExposed = m_bExposed || (!sameExposure && !m_bLent);
}

bool CX11Screen::TakeExposure() {
    const bool exposed = m_bExposed;
    m_bExposed = false;
    return exposed;
}

void CX11Screen::FollowSize(std::vector<SaverEvent>& events) {
    if ((m_pendingWidth != m_width || m_pendingHeight != m_height) &&
        !MakeSurface(m_pendingWidth, m_pendingHeight)) {
        events.push_back(SaverEvent::Of(SaverEvent::Kind::SetupFailed));
    }
}

void CX11Screen::RetryGrabs() {
    if (m_bGrabbing && std::chrono::steady_clock::now() >= m_nextGrab) {
        TryGrabs();
    }
}

// Only a viewable window can take the focus and the grabs.
void CX11Screen::OnMapped() {
    XSetInputFocus(m_display, m_window, RevertToPointerRoot, CurrentTime);
    m_bGrabbing = true;
    m_grabDeadline = std::chrono::steady_clock::now() + kGrabPatience;
    TryGrabs();
}

// Without the grabs the saver still ends on the first input that reaches it.
void CX11Screen::TryGrabs() {
    if (!m_bKeyboardGrabbed) {
        m_bKeyboardGrabbed = XGrabKeyboard(m_display, m_window, True, GrabModeAsync, GrabModeAsync,
                                           CurrentTime) == GrabSuccess;
    }
    if (!m_bPointerGrabbed) {
        m_bPointerGrabbed =
            XGrabPointer(m_display, m_window, True, ButtonPressMask | PointerMotionMask, GrabModeAsync,
                         GrabModeAsync, None, m_invisibleCursor, CurrentTime) == GrabSuccess;
    }
    const auto now = std::chrono::steady_clock::now();
    m_bGrabbing = !(m_bKeyboardGrabbed && m_bPointerGrabbed) && now < m_grabDeadline;
    m_nextGrab = now + kGrabRetry;
}
