#include "platform/x11/XRowSurface.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdlib>
#include <cstring>

namespace {

// The parts of a pixel that 0..255 of one channel give, scaled to the channel's mask.
void BuildChannel(unsigned long mask, std::array<unsigned long, 256>& table) {
    if (mask == 0) {
        return;
    }
    int shift = 0;
    while (((mask >> shift) & 1) == 0) {
        ++shift;
    }
    const unsigned long top = mask >> shift;  // the largest value the channel holds
    for (unsigned long c = 0; c < 256; ++c) {
        table[c] = ((c * top + 127) / 255) << shift;
    }
}

bool HostIsLittleEndian() {
    const std::uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// Set while shared memory is being attached: a server that cannot reach this
// client's memory (over the network, or in another IPC namespace) refuses it.
bool g_attachFailed = false;

extern "C" int OnAttachError(Display*, XErrorEvent*) {
    g_attachFailed = true;
    return 0;
}

}  // namespace

bool CXRowSurface::IsDrawable(const Visual* visual) {
    return visual->c_class == TrueColor || visual->c_class == DirectColor;
}

CXRowSurface::CXRowSurface(Display* display, Drawable window, Visual* visual, int depth, int width,
                           int height)
    : m_display(display), m_window(window), m_width(width > 0 ? width : 1), m_height(height) {
    XGCValues values{};
    values.graphics_exposures = False;  // the scroll needs no exposure events for what it cannot copy
    m_gc = XCreateGC(display, window, GCGraphicsExposures, &values);

    BuildChannel(visual->red_mask, m_red);
    BuildChannel(visual->green_mask, m_green);
    BuildChannel(visual->blue_mask, m_blue);

    if (!CreateSharedRows(visual, depth)) {
        m_rows = XCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                              static_cast<unsigned>(m_width), 1, 32, 0);
        m_rows->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(m_rows->bytes_per_line), 1));
    }
    m_direct32 =
        m_rows->bits_per_pixel == 32 && m_rows->byte_order == (HostIsLittleEndian() ? LSBFirst : MSBFirst);
}

bool CXRowSurface::CreateSharedRows(Visual* visual, int depth) {
    if (!XShmQueryExtension(m_display)) {
        return false;
    }
    XImage* rows = XShmCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &m_shm,
                                   static_cast<unsigned>(m_width), kRowsPerSync);
    if (rows == nullptr) {
        return false;
    }
    m_shm.shmid =
        shmget(IPC_PRIVATE, static_cast<std::size_t>(rows->bytes_per_line) * kRowsPerSync, IPC_CREAT | 0600);
    void* memory = m_shm.shmid >= 0 ? shmat(m_shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (memory == reinterpret_cast<void*>(-1)) {
        if (m_shm.shmid >= 0) {
            shmctl(m_shm.shmid, IPC_RMID, nullptr);
        }
        XDestroyImage(rows);
        return false;
    }
    rows->data = m_shm.shmaddr = static_cast<char*>(memory);
    m_shm.readOnly = True;
    g_attachFailed = false;
    const auto previous = XSetErrorHandler(OnAttachError);
    XShmAttach(m_display, &m_shm);
    XSync(m_display, False);
    XSetErrorHandler(previous);
    shmctl(m_shm.shmid, IPC_RMID, nullptr);  // freed once both sides have let go of it
    if (g_attachFailed) {
        shmdt(m_shm.shmaddr);
        rows->data = nullptr;
        XDestroyImage(rows);
        return false;
    }
    m_rows = rows;
    m_bShared = true;
    return true;
}

CXRowSurface::~CXRowSurface() {
    if (m_bShared) {
        XShmDetach(m_display, &m_shm);
        XSync(m_display, False);
        shmdt(m_shm.shmaddr);
        m_rows->data = nullptr;
    }
    XDestroyImage(m_rows);  // frees a row of its own too
    XFreeGC(m_display, m_gc);
}

void CXRowSurface::SetPixel(int x, int y, PackedColour colour) {
    if (x < 0 || x >= m_width || y < 0 || y >= m_height) {
        return;
    }
    if (y != m_rowY) {
        PutRow();
        m_rowY = y;
    }
    if (m_direct32) {
        const auto pixel = static_cast<std::uint32_t>(PixelOf(colour));
        std::memcpy(RowData() + static_cast<std::size_t>(x) * 4, &pixel, 4);
    } else {
        XPutPixel(m_rows, x, m_slot, PixelOf(colour));
    }
}

void CXRowSurface::PutRow() {
    if (m_rowY < 0) {
        return;
    }
    const auto width = static_cast<unsigned>(m_width);
    if (m_bShared) {
        XShmPutImage(m_display, m_window, m_gc, m_rows, 0, m_slot, 0, m_rowY, width, 1, False);
        m_slot = (m_slot + 1) % kRowsPerSync;
    } else {
        XPutImage(m_display, m_window, m_gc, m_rows, 0, 0, 0, m_rowY, width, 1);
    }
    m_rowY = -1;
}

void CXRowSurface::ScrollUp() {
    PutRow();
    if (m_height > 1) {
        XCopyArea(m_display, m_window, m_window, m_gc, 0, 1, static_cast<unsigned>(m_width),
                  static_cast<unsigned>(m_height - 1), 0, 0);
    }
    if (++m_nUnsynced == kRowsPerSync) {
        XSync(m_display, False);
        m_nUnsynced = 0;
    }
}

void CXRowSurface::Fill(PackedColour colour) {
    FillArea(0, 0, m_width, m_height, colour);
}

void CXRowSurface::FillArea(int x, int y, int width, int height, PackedColour colour) {
    if (width <= 0 || height <= 0) {
        return;
    }
    XSetForeground(m_display, m_gc, PixelOf(colour));
    XFillRectangle(m_display, m_window, m_gc, x, y, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
}
