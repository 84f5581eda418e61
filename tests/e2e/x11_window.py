"""A plain X window of the test's own, made with libX11 through ctypes: a window to lend to the saver
as xscreensaver does, or to take the input focus from it."""
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
