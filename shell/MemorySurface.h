#pragma once

#include <cstdint>
#include <vector>

#include "shell/DrawingSurface.h"

// A drawing surface in memory, its pixels in XRGB (XrgbOf), as an image library
// or a compositor takes them. Scrolling moves the index of the top row round a
// ring of rows instead of copying the picture: one row is copied, not all.
class CMemorySurface : public IDrawingSurface {
  public:
    CMemorySurface(int width, int height);

    void SetPixel(int x, int y, PackedColour colour) override;
    void ScrollUp() override;
    void Fill(PackedColour colour) override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    PackedColour GetPixel(int x, int y) const { return PackedColourOf(Row(y)[x]); }
    // The ring as it lies in memory, `Width()` pixels a row: the row shown at the
    // top is ring row TopRow(), the one below it the next, round to the first.
    std::uint32_t* Pixels() { return m_pixels.data(); }
    int TopRow() const { return m_top; }

  private:
    std::uint32_t* Row(int y) { return &m_pixels[RowOffset(y)]; }
    const std::uint32_t* Row(int y) const { return &m_pixels[RowOffset(y)]; }
    std::size_t RowOffset(int y) const {
        return static_cast<std::size_t>((m_top + y) % m_height) * static_cast<std::size_t>(m_width);
    }

    int m_width;
    int m_height;
    int m_top = 0;  // the ring index of the row shown at the top
    std::vector<std::uint32_t> m_pixels;
};
