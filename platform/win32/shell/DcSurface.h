#pragma once

#include <windows.h>

#include "shell/DrawingSurface.h"

// Draws on a window's device context: one SetPixelV per pixel, ScrollDC to move
// everything up; there is no off-screen bitmap.
class CDcSurface : public IDrawingSurface {
  public:
    // `area` is what Fill covers: the window's client rectangle.
    CDcSurface(HDC hDC, const RECT& area) : m_hDC(hDC), m_area(area) {}

    void SetPixel(int x, int y, PackedColour colour) override { SetPixelV(m_hDC, x, y, colour); }
    void ScrollUp() override { ScrollDC(m_hDC, 0, -1, nullptr, nullptr, nullptr, nullptr); }
    // On a paint context, the fill is limited to the part that needs painting.
    void Fill(PackedColour colour) override;

  private:
    HDC m_hDC;
    RECT m_area;
};
