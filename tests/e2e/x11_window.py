"""X windows for the tests, through libX11 and ctypes: a plain window of the test's own, to lend to the
saver as xscreensaver does or to take the input focus from it, and a window manager's close request."""
import ctypes
import ctypes.util

_x = ctypes.CDLL(ctypes.util.find_library("X11"))
_x.XOpenDisplay.restype = ctypes.c_void_p
_x.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x.XDefaultRootWindow.restype = ctypes.c_ulong
_x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x.XCreateSimpleWindow.restype = ctypes.c_ulong
_x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
for _name in ("XMapRaised", "XDestroyWindow"):
    getattr(_x, _name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x.XInternAtom.restype = ctypes.c_ulong
_x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def press_close_box(window):
    """Sends the window WM_DELETE_WINDOW, as a window manager does when its close box is clicked."""
    display = _x.XOpenDisplay(None)
    message = _ClientMessage(type=33, window=window, message_type=_x.XInternAtom(display, b"WM_PROTOCOLS", 0),
                             format=32)
    message.data[0] = _x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    _x.XSendEvent(display, window, 0, 0, ctypes.byref(message))
    _x.XSync(display, 0)
    _x.XCloseDisplay(display)


class XWindow:
    def __init__(self, x, y, width, height, background=0x808080):
        self.display = _x.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display")
        self.id = _x.XCreateSimpleWindow(self.display, _x.XDefaultRootWindow(self.display), x, y, width, height, 0, 0,
                                         background)
        _x.XMapRaised(self.display, self.id)
        _x.XSync(self.display, 0)

    def destroy(self):
        _x.XDestroyWindow(self.display, self.id)
        _x.XSync(self.display, 0)

    def close(self):
        _x.XCloseDisplay(self.display)
