#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

#include <array>
#include <cstdint>

#include "shell/DrawingSurface.h"

// Draws on an X window the way the row step paints: the pixels of a row gather in
// a one-row client-side image; the scroll puts that row on the window with one
// XPutImage (XShmPutImage where the server shares memory with this client) and
// moves the whole window up by one pixel with one XCopyArea of the window onto
// itself. There is no off-screen copy of the picture.
//
// Every kRowsPerSync rows the scroll waits until the server has done them all, so
// the server never lags further behind and the requests waiting for it stay few.
// In shared memory the rows take turns in a ring of that many, so a row is only
// rewritten after the server has read it.
class CXRowSurface : public IDrawingSurface {
  public:
    // `visual` must be TrueColor or DirectColor (see IsDrawable).
    CXRowSurface(Display* display, Drawable window, Visual* visual, int depth, int width, int height);
    ~CXRowSurface() override;
    CXRowSurface(const CXRowSurface&) = delete;
    CXRowSurface& operator=(const CXRowSurface&) = delete;

    // Whether colours can be drawn on this visual: its pixels hold the channels as masks.
    static bool IsDrawable(const Visual* visual);

    static constexpr int kRowsPerSync = 16;

    void SetPixel(int x, int y, PackedColour colour) override;
    void ScrollUp() override;
    void Fill(PackedColour colour) override;
    // Fills a part of the window (an exposed area) with the colour.
    void FillArea(int x, int y, int width, int height, PackedColour colour);

  private:
    unsigned long PixelOf(PackedColour colour) const {
        return m_red[colour & 0xFF] | m_green[(colour >> 8) & 0xFF] | m_blue[(colour >> 16) & 0xFF];
    }
    bool CreateSharedRows(Visual* visual, int depth);
    char* RowData() const { return m_rows->data + m_slot * m_rows->bytes_per_line; }
    void PutRow();

    Display* m_display;
    Drawable m_window;
    GC m_gc;
    XImage* m_rows = nullptr;  // one row, or the ring of rows in shared memory
    XShmSegmentInfo m_shm{};
    bool m_bShared = false;
    bool m_direct32;  // the image is 32-bit pixels in this machine's byte order: stored directly
    int m_width;
    int m_height;
    int m_slot = 0;       // the image row that the row being gathered uses
    int m_rowY = -1;      // the y of the row being gathered, -1 when none is
    int m_nUnsynced = 0;  // rows scrolled since the last sync
    // Each channel's 8-bit value as its part of a pixel, from the visual's masks.
    std::array<unsigned long, 256> m_red{}, m_green{}, m_blue{};
};
