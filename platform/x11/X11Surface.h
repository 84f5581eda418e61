#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <cstdint>
#include <memory>

#include "shell/DrawingSurface.h"

// Draws on an X window the way the row step paints, a frame at a time. The rows
// painted at the bottom gather in a client-side image (shared with the server
// where it can reach this client's memory); presenting a frame of k rows moves
// the window up by k pixels with one XCopyArea of the window onto itself and puts
// the k new rows, and the bottom row that repeats the newest, with one put. There
// is no off-screen copy of the picture.
//
// Every kRowsPerSync rows, and before the image's rows are used again, the
// present waits until the server has done everything asked of it, so the server
// never lags far behind and never reads a row that is being rewritten.
class CX11Surface : public IDrawingSurface {
  public:
    // Whether colours can be drawn on this visual: a TrueColor one, whose pixels
    // hold the channels as masks.
    static bool IsDrawable(const Visual* visual);

    // nullptr when the image cannot be made for this visual and depth.
    static std::unique_ptr<CX11Surface> Create(Display* display, Drawable window, Visual* visual, int depth,
                                               int width, int height);
    ~CX11Surface() override;
    CX11Surface(const CX11Surface&) = delete;
    CX11Surface& operator=(const CX11Surface&) = delete;

    static constexpr int kRowsPerSync = 16;
    static constexpr int kMaxImageRows = 256;

    // Only the bottom row is gathered; a pixel anywhere else is drawn at once.
    void SetPixel(int x, int y, PackedColour colour) override;
    void ScrollUp() override;
    void Fill(PackedColour colour) override;
    void Present() override;
    // Fills a part of the window (an exposed area) with the colour the surface was
    // last filled with (the picture's background).
    void FillExposed(int x, int y, int width, int height);

  private:
    CX11Surface(Display* display, Drawable window, Visual* visual, int depth, int width, int height);
    bool CreateImage(Visual* visual, int depth);
    bool CreateSharedImage(Visual* visual, int depth);
    unsigned long PixelOf(PackedColour colour) const {
        return m_red[colour & 0xFF] | m_green[(colour >> 8) & 0xFF] | m_blue[(colour >> 16) & 0xFF] |
               m_opaque;
    }
    void PutPixel(int x, int row, unsigned long pixel);
    char* ImageRow(int row) const {
        return m_image->data + static_cast<std::ptrdiff_t>(row) * m_image->bytes_per_line;
    }
    void PutRows(int firstRow, int count, int y);
    void FillArea(int x, int y, int width, int height, unsigned long pixel);
    void CountPresented(int rows);

    Display* m_display;
    Drawable m_window;
    GC m_gc = nullptr;
    XImage* m_image = nullptr;  // m_imageRows rows of the window's width
    XShmSegmentInfo m_shm{};
    bool m_bShared = false;
    bool m_direct32 = false;  // 32-bit pixels in this machine's byte order: stored directly
    int m_width;
    int m_height;
    int m_imageRows;
    int m_row = 0;       // the image row that holds the window's bottom row as drawn
    int m_pending = 0;   // rows scrolled since the last present; the image rows just above m_row
    int m_unsynced = 0;  // rows presented since the last sync
    // Each channel's 8-bit value as its part of a pixel, from the visual's masks;
    // the bits of the depth outside them (alpha) are set opaque.
    std::array<unsigned long, 256> m_red{}, m_green{}, m_blue{};
    unsigned long m_opaque = 0;
    unsigned long m_background = 0;  // the last fill's pixel
};
