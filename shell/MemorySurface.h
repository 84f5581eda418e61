#pragma once

#include <vector>

#include "shell/DrawingSurface.h"

// A drawing surface in memory. Scrolling moves the index of the top row round a
// ring of rows instead of copying the picture: one row is copied, not all.
class CMemorySurface : public IDrawingSurface {
  public:
    CMemorySurface(int width, int height);

    void SetPixel(int x, int y, PackedColour colour) override;
    void ScrollUp() override;
    void Fill(PackedColour colour) override;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    PackedColour GetPixel(int x, int y) const { return Row(y)[x]; }

  private:
    PackedColour* Row(int y) { return &m_pixels[RowOffset(y)]; }
    const PackedColour* Row(int y) const { return &m_pixels[RowOffset(y)]; }
    std::size_t RowOffset(int y) const {
        return static_cast<std::size_t>((m_top + y) % m_height) * static_cast<std::size_t>(m_width);
    }

    int m_width;
    int m_height;
    int m_top = 0;  // the ring index of the row shown at the top
    std::vector<PackedColour> m_pixels;
};
