#include "shell/MemorySurface.h"

#include <algorithm>

CMemorySurface::CMemorySurface(int width, int height)
    : m_width(std::max(width, 0)),
      m_height(std::max(height, 0)),
      m_pixels(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)) {}

void CMemorySurface::SetPixel(int x, int y, PackedColour colour) {
    if (x >= 0 && x < m_width && y >= 0 && y < m_height) {
        Row(y)[x] = XrgbOf(colour);
    }
}

void CMemorySurface::ScrollUp() {
    if (m_height < 2) {
        return;
    }
    const std::uint32_t* oldBottom = Row(m_height - 1);
    m_top = (m_top + 1) % m_height;
    // The old top row comes round as the new bottom row; it shows what the bottom showed.
    std::copy(oldBottom, oldBottom + m_width, Row(m_height - 1));
}

void CMemorySurface::Fill(PackedColour colour) {
    std::fill(m_pixels.begin(), m_pixels.end(), XrgbOf(colour));
}
