"""X windows for the tests, through libX11 and ctypes: a plain window of the test's own, to lend to the
saver as xscreensaver does or to take the input focus from it, windows of strange kinds (input only, 32-bit
ARGB), a keyboard grab that another client holds, and a window manager's close request."""
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
_x.XCreateWindow.restype = ctypes.c_ulong
_x.XCreateWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                             ctypes.c_uint, ctypes.c_int, ctypes.c_uint, ctypes.c_void_p, ctypes.c_ulong,
                             ctypes.c_void_p]
for _name in ("XMapRaised", "XDestroyWindow"):
    getattr(_x, _name).argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x.XResizeWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_uint]
_x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x.XFlush.argtypes = [ctypes.c_void_p]
_x.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x.XInternAtom.restype = ctypes.c_ulong
_x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
_x.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_ulong]
_x.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x.XGrabServer.argtypes = _x.XUngrabServer.argtypes = [ctypes.c_void_p]
_x.XMatchVisualInfo.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int, ctypes.c_void_p]
_x.XCreateColormap.restype = ctypes.c_ulong
_x.XCreateColormap.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p, ctypes.c_int]

_INPUT_OUTPUT, _INPUT_ONLY = 1, 2
_VISUALS = {"argb": (32, 4), "directcolor": (24, 5)}  # depth and class (TrueColor 4, DirectColor 5)
_CW_BACK_PIXEL, _CW_BORDER_PIXEL, _CW_COLORMAP = 1 << 1, 1 << 3, 1 << 13


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


class _VisualInfo(ctypes.Structure):
    _fields_ = [("visual", ctypes.c_void_p), ("visualid", ctypes.c_ulong), ("screen", ctypes.c_int),
                ("depth", ctypes.c_int), ("c_class", ctypes.c_int), ("red_mask", ctypes.c_ulong),
                ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong), ("colormap_size", ctypes.c_int),
                ("bits_per_rgb", ctypes.c_int)]


class _WindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


def press_close_box(window):
    """Sends the window WM_DELETE_WINDOW, as a window manager does when its close box is clicked."""
    display = _x.XOpenDisplay(None)
    message = _ClientMessage(type=33, window=window, message_type=_x.XInternAtom(display, b"WM_PROTOCOLS", 0),
                             format=32)
    message.data[0] = _x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    _x.XSendEvent(display, window, 0, 0, ctypes.byref(message))
    _x.XSync(display, 0)
    _x.XCloseDisplay(display)


def keyboard_held_elsewhere():
    """Whether another client holds the keyboard (a popup menu does while it is open): a grab of it from here
    is refused. A grab that succeeds is let go at once."""
    display = _x.XOpenDisplay(None)
    status = _x.XGrabKeyboard(display, _x.XDefaultRootWindow(display), 1, 1, 1, 0)
    if status == 0:
        _x.XUngrabKeyboard(display, 0)
    _x.XSync(display, 0)
    _x.XCloseDisplay(display)
    return status == 1  # AlreadyGrabbed


class XWindow:
    """kind: "plain", "input-only" (nothing can be drawn in it), "argb" (32 bits, alpha included) or
    "directcolor" (a visual whose colours go through a ramp of its colormap)."""

    def __init__(self, x, y, width, height, background=0x808080, kind="plain"):
        self.display = _x.XOpenDisplay(None)
        if not self.display:
            raise RuntimeError("cannot open the X display")
        root = _x.XDefaultRootWindow(self.display)
        if kind == "plain":
            self.id = _x.XCreateSimpleWindow(self.display, root, x, y, width, height, 0, 0, background)
        elif kind == "input-only":
            self.id = _x.XCreateWindow(self.display, root, x, y, width, height, 0, 0, _INPUT_ONLY, None, 0, None)
        else:
            depth, visual_class = _VISUALS[kind]
            info = _VisualInfo()
            if not _x.XMatchVisualInfo(self.display, 0, depth, visual_class, ctypes.byref(info)):
                raise RuntimeError(f"no visual of depth {depth} and class {visual_class}")
            attributes = _WindowAttributes(colormap=_x.XCreateColormap(self.display, root, info.visual, 0))
            self.id = _x.XCreateWindow(self.display, root, x, y, width, height, 0, depth, _INPUT_OUTPUT,
                                       info.visual, _CW_BACK_PIXEL | _CW_BORDER_PIXEL | _CW_COLORMAP,
                                       ctypes.byref(attributes))
        _x.XMapRaised(self.display, self.id)
        _x.XSync(self.display, 0)

    def grab_keyboard(self):
        """True when this client now holds the keyboard, so that no other can take it."""
        status = _x.XGrabKeyboard(self.display, self.id, 1, 1, 1, 0)
        _x.XSync(self.display, 0)
        return status == 0

    def ungrab_keyboard(self):
        _x.XUngrabKeyboard(self.display, 0)
        _x.XSync(self.display, 0)

    def grab_server(self):
        """No other client is served until ungrab_server."""
        _x.XGrabServer(self.display)
        _x.XSync(self.display, 0)

    def ungrab_server(self):
        _x.XUngrabServer(self.display)
        _x.XSync(self.display, 0)

    def resize_storm(self, count, width, height):
        """`count` quick resizes between two sizes, ending at width x height."""
        for k in range(count):
            _x.XResizeWindow(self.display, self.id, width + (count - 1 - k) % 2 * 7, height)
        _x.XFlush(self.display)
        _x.XSync(self.display, 0)

    def destroy(self):
        _x.XDestroyWindow(self.display, self.id)
        _x.XSync(self.display, 0)

    def close(self):
        _x.XCloseDisplay(self.display)


class _Image(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_char)), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


_x.XGetImage.restype = ctypes.POINTER(_Image)
_x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                         ctypes.c_ulong, ctypes.c_int]


def image_rows(display, window, y, count, width):
    """`count` rows of the window from y on, each as `width` 32-bit pixels in bytes (on a display that
    XOpenDisplay gave), every bit of the depth included (alpha on an ARGB window)."""
    image = _x.XGetImage(display, window, 0, y, width, count, 0xFFFFFFFF, 2)
    stride = image.contents.bytes_per_line
    data = ctypes.string_at(image.contents.data, stride * count)
    image.contents.destroy_image(image)
    return [data[r * stride:r * stride + width * 4] for r in range(count)]


def row_pixels(window, y, width):
    """The window's row y as 32-bit pixel values."""
    display = _x.XOpenDisplay(None)
    row = image_rows(display, window, y, 1, width)[0]
    _x.XCloseDisplay(display)
    return [int.from_bytes(row[k:k + 4], "little") for k in range(0, len(row), 4)]


_x.XGetWindowProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
                                  ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                                  ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
                                  ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
_x.XFree.argtypes = [ctypes.c_void_p]


def window_icons(window):
    """{size: ARGB pixels} of the window's _NET_WM_ICON: what the desktop shows for it."""
    display = _x.XOpenDisplay(None)
    kind, form, count, left, data = ctypes.c_ulong(), ctypes.c_int(), ctypes.c_ulong(), ctypes.c_ulong(), \
        ctypes.c_void_p()
    _x.XGetWindowProperty(display, window, _x.XInternAtom(display, b"_NET_WM_ICON", 0), 0, 1 << 24, 0, 0,
                          ctypes.byref(kind), ctypes.byref(form), ctypes.byref(count), ctypes.byref(left),
                          ctypes.byref(data))
    values = list((ctypes.c_ulong * count.value).from_address(data.value)) if data.value else []
    if data.value:
        _x.XFree(data)
    _x.XCloseDisplay(display)
    icons = {}
    while len(values) >= 2:
        width, height = values[0], values[1]
        icons[width] = [v & 0xFFFFFFFF for v in values[2:2 + width * height]]
        values = values[2 + width * height:]
    return icons
