#pragma once

#include "colour/PackedColour.h"

// What the picture is drawn on: a window, or memory. A surface may gather what is
// drawn and show it when the frame is presented.
class IDrawingSurface {
  public:
    virtual ~IDrawingSurface() = default;

    virtual void SetPixel(int x, int y, PackedColour colour) = 0;
    // Moves everything up by one pixel: the top row is lost, the bottom row keeps
    // its pixels until they are painted over.
    virtual void ScrollUp() = 0;
    // Fills the whole surface (the background before the first row).
    virtual void Fill(PackedColour colour) = 0;
    // Shows everything drawn since the last frame. Surfaces that show each pixel
    // at once have nothing to do.
    virtual void Present() {}
};
