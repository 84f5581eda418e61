#include "platform/x11/XSaverWindow.h"

#include <X11/Xutil.h>

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

// A focus move that a grab causes or that happens while one is held, or one that
// stays inside the window or goes to the pointer's root, is not the focus going
// to another window.
bool LosesFocus(const XFocusChangeEvent& focus) {
    return focus.mode == NotifyNormal && focus.detail != NotifyInferior && focus.detail != NotifyPointer &&
           focus.detail != NotifyPointerRoot;
}

}  // namespace

CXSaverWindow::~CXSaverWindow() {
    if (m_invisibleCursor != None) {
        XFreeCursor(m_display, m_invisibleCursor);
    }
    if (m_window != None) {
        XDestroyWindow(m_display, m_window);
    }
}

void CXSaverWindow::Cover(const XRectangle& area) {
    if (area.x != m_area.x || area.y != m_area.y || area.width != m_area.width ||
        area.height != m_area.height) {
        m_area = area;
        ExpectExposure();
        XMoveResizeWindow(m_display, m_window, area.x, area.y, area.width, area.height);
    }
}

bool CXSaverWindow::CreateFullScreen(const XRectangle& area, bool takesInput) {
    m_bTakesInput = takesInput;
    m_area = area;
    const int screen = DefaultScreen(m_display);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixmap = None;  // never erased by the server: exposures are filled here
    attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | ButtonPressMask |
                            PointerMotionMask | FocusChangeMask;
    const Window window = XCreateWindow(m_display, RootWindow(m_display, screen), area.x, area.y, area.width,
                                        area.height, 0, CopyFromParent, InputOutput, CopyFromParent,
                                        CWOverrideRedirect | CWBackPixmap | CWEventMask, &attributes);
    XStoreName(m_display, window, "Lucenta");
    XClassHint hint{const_cast<char*>("lucenta"), const_cast<char*>("Lucenta")};
    XSetClassHint(m_display, window, &hint);
    m_invisibleCursor = CreateInvisibleCursor(m_display, window);
    XDefineCursor(m_display, window, m_invisibleCursor);

    if (!Attach(window, DefaultVisual(m_display, screen), DefaultDepth(m_display, screen), area.width,
                area.height)) {
        return false;
    }
    XMapRaised(m_display, window);
    return true;
}

void CXSaverWindow::OnEvent(const XEvent& event) {
    switch (event.type) {
        case MapNotify:
            if (m_bTakesInput) {
                OnMapped();
            }
            break;
        case KeyPress:
        case ButtonPress:
            Close();
            break;
        case MotionNotify:
            if (m_input.OnMouseMove(event.xmotion.x_root, event.xmotion.y_root)) {
                Close();
            }
            break;
        case FocusOut:
            if (!m_bKeyboardGrabbed && LosesFocus(event.xfocus)) {
                Close();
            }
            break;
        default:
            break;
    }
}

// Only a viewable window can take the focus and the grabs.
void CXSaverWindow::OnMapped() {
    XSetInputFocus(m_display, m_window, RevertToPointerRoot, CurrentTime);
    m_bGrabbing = true;
    m_grabDeadline = std::chrono::steady_clock::now() + kGrabPatience;
    TryGrabs();
}

void CXSaverWindow::OnIdle() {
    if (m_bGrabbing && std::chrono::steady_clock::now() >= m_nextGrab) {
        TryGrabs();
    }
}

// Without the grabs the saver still ends on the first input that reaches it.
void CXSaverWindow::TryGrabs() {
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
