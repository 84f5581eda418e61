#include "platform/x11/X11Surface.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
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

// The bits of a pixel of this depth that no colour channel uses: alpha on a
// 32-bit visual, which a compositor shows as transparent unless they are set.
unsigned long OpaqueBits(const Visual* visual, int depth) {
    const unsigned long all = depth >= 32 ? 0xFFFFFFFFUL : (1UL << depth) - 1;
    return all & ~(visual->red_mask | visual->green_mask | visual->blue_mask);
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

bool CX11Surface::IsDrawable(const Visual* visual) {
    return visual->c_class == TrueColor;
}

std::unique_ptr<CX11Surface> CX11Surface::Create(Display* display, Drawable window, Visual* visual, int depth,
                                                 int width, int height) {
    std::unique_ptr<CX11Surface> surface(new CX11Surface(display, window, visual, depth, width, height));
    if (surface->m_gc == nullptr || !surface->CreateImage(visual, depth)) {
        return nullptr;
    }
    return surface;
}

CX11Surface::CX11Surface(Display* display, Drawable window, Visual* visual, int depth, int width, int height)
    : m_display(display),
      m_window(window),
      m_width(std::max(width, 1)),
      m_height(std::max(height, 1)),
      m_imageRows(std::clamp(m_height, 2, kMaxImageRows)),
      m_opaque(OpaqueBits(visual, depth)) {
    XGCValues values{};
    values.graphics_exposures = False;  // the scroll needs no exposure events for what it cannot copy
    m_gc = XCreateGC(display, window, GCGraphicsExposures, &values);
    BuildChannel(visual->red_mask, m_red);
    BuildChannel(visual->green_mask, m_green);
    BuildChannel(visual->blue_mask, m_blue);
    m_background = PixelOf(0);  // black until the picture fills it
}

bool CX11Surface::CreateImage(Visual* visual, int depth) {
    if (!CreateSharedImage(visual, depth)) {
        m_image = XCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(m_width), static_cast<unsigned>(m_imageRows), 32, 0);
        if (m_image == nullptr) {
            return false;
        }
        m_image->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(m_image->bytes_per_line),
                                                       static_cast<std::size_t>(m_imageRows)));
        if (m_image->data == nullptr) {
            return false;
        }
    }
    m_direct32 =
        m_image->bits_per_pixel == 32 && m_image->byte_order == (HostIsLittleEndian() ? LSBFirst : MSBFirst);
    return true;
}

bool CX11Surface::CreateSharedImage(Visual* visual, int depth) {
    if (!XShmQueryExtension(m_display)) {
        return false;
    }
    XImage* image = XShmCreateImage(m_display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &m_shm,
                                    static_cast<unsigned>(m_width), static_cast<unsigned>(m_imageRows));
    if (image == nullptr) {
        return false;
    }
    const std::size_t bytes =
        static_cast<std::size_t>(image->bytes_per_line) * static_cast<std::size_t>(m_imageRows);
    m_shm.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    void* memory = m_shm.shmid >= 0 ? shmat(m_shm.shmid, nullptr, 0) : reinterpret_cast<void*>(-1);
    if (m_shm.shmid >= 0) {
        // Marked for removal at once: Linux lets the server attach it still, and
        // the segment goes with the last process that has it, however this one ends.
        shmctl(m_shm.shmid, IPC_RMID, nullptr);
    }
    if (memory == reinterpret_cast<void*>(-1)) {
        XDestroyImage(image);
        return false;
    }
    image->data = m_shm.shmaddr = static_cast<char*>(memory);
    m_shm.readOnly = True;
    g_attachFailed = false;
    const auto previous = XSetErrorHandler(OnAttachError);
    XShmAttach(m_display, &m_shm);
    XSync(m_display, False);
    XSetErrorHandler(previous);
    if (g_attachFailed) {
        shmdt(m_shm.shmaddr);
        image->data = nullptr;
        XDestroyImage(image);
        return false;
    }
    m_image = image;
    m_bShared = true;
    return true;
}

CX11Surface::~CX11Surface() {
    if (m_bShared) {
        XShmDetach(m_display, &m_shm);
        XSync(m_display, False);
        shmdt(m_shm.shmaddr);
        m_image->data = nullptr;
    }
    if (m_image != nullptr) {
        XDestroyImage(m_image);  // frees image memory of its own too
    }
    if (m_gc != nullptr) {
        XFreeGC(m_display, m_gc);
    }
}

void CX11Surface::PutPixel(int x, int row, unsigned long pixel) {
    if (m_direct32) {
        const auto value = static_cast<std::uint32_t>(pixel);
        std::memcpy(ImageRow(row) + static_cast<std::ptrdiff_t>(x) * 4, &value, 4);
    } else {
        XPutPixel(m_image, x, row, pixel);
    }
}

void CX11Surface::SetPixel(int x, int y, PackedColour colour) {
    if (x < 0 || x >= m_width || y < 0 || y >= m_height) {
        return;
    }
    if (y == m_height - 1) {
        PutPixel(x, m_row, PixelOf(colour));
        return;
    }
    Present();
    XSetForeground(m_display, m_gc, PixelOf(colour));
    XDrawPoint(m_display, m_window, m_gc, x, y);
}

void CX11Surface::ScrollUp() {
    if (m_row + 1 == m_imageRows) {
        // The image is full: show what it holds, wait until the server has read it,
        // and go on from its first row.
        Present();
        XSync(m_display, False);
        m_unsynced = 0;
        std::memcpy(ImageRow(0), ImageRow(m_row), static_cast<std::size_t>(m_image->bytes_per_line));
        m_row = 0;
    }
    // The bottom row keeps its pixels: the new bottom row starts as the old one.
    std::memcpy(ImageRow(m_row + 1), ImageRow(m_row), static_cast<std::size_t>(m_image->bytes_per_line));
    ++m_row;
    ++m_pending;
}

// The window moves up by the rows scrolled; they and the bottom row (which repeats
// the newest) are put below what moved.
void CX11Surface::Present() {
    if (m_pending == 0) {
        return;
    }
    const int shown = std::min(m_pending + 1, m_height);
    const int moved = m_height - 1 - m_pending;
    if (moved > 0) {
        XCopyArea(m_display, m_window, m_window, m_gc, 0, m_pending, static_cast<unsigned>(m_width),
                  static_cast<unsigned>(moved), 0, 0);
    }
    PutRows(m_row - shown + 1, shown, m_height - shown);
    CountPresented(m_pending);
    m_pending = 0;
}

void CX11Surface::PutRows(int firstRow, int count, int y) {
    const auto width = static_cast<unsigned>(m_width);
    if (m_bShared) {
        XShmPutImage(m_display, m_window, m_gc, m_image, 0, firstRow, 0, y, width,
                     static_cast<unsigned>(count), False);
    } else {
        XPutImage(m_display, m_window, m_gc, m_image, 0, firstRow, 0, y, width, static_cast<unsigned>(count));
    }
}

void CX11Surface::CountPresented(int rows) {
    m_unsynced += rows;
    if (m_unsynced >= kRowsPerSync) {
        XSync(m_display, False);
        m_unsynced = 0;
    } else {
        XFlush(m_display);
    }
}

void CX11Surface::Fill(PackedColour colour) {
    m_pending = 0;
    m_background = PixelOf(colour);
    for (int x = 0; x < m_width; ++x) {
        PutPixel(x, m_row, m_background);
    }
    FillArea(0, 0, m_width, m_height, m_background);
}

void CX11Surface::FillExposed(int x, int y, int width, int height) {
    FillArea(x, y, width, height, m_background);
}

void CX11Surface::FillArea(int x, int y, int width, int height, unsigned long pixel) {
    if (width <= 0 || height <= 0) {
        return;
    }
    Present();
    XSetForeground(m_display, m_gc, pixel);
    XFillRectangle(m_display, m_window, m_gc, x, y, static_cast<unsigned>(width),
                   static_cast<unsigned>(height));
}
