#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "shell/DrawingSurface.h"

// The picture in shared memory that the compositor reads: a ring of 2H rows in one
// wl_shm pool. Screen row y of the picture lives at ring row (top + y) mod H and at
// that plus H, so the H rows from `top` on are always the whole picture, and a
// frame is shown as a buffer at that offset: scrolling moves the offset and
// copies no pixels. Each row painted is written at its two places, and the bottom
// row also at the places of the row below it, which becomes the bottom row after
// the scroll and keeps its pixels.
class CWlShmRing : public IDrawingSurface {
  public:
    // nullptr when the shared memory cannot be made.
    static std::unique_ptr<CWlShmRing> Create(wl_shm* shm, int width, int height);
    ~CWlShmRing() override;
    CWlShmRing(const CWlShmRing&) = delete;
    CWlShmRing& operator=(const CWlShmRing&) = delete;

    void SetPixel(int x, int y, PackedColour colour) override;
    void ScrollUp() override;
    void Fill(PackedColour colour) override;
    // Attaches a buffer that shows the picture as it is now, and damages the whole
    // surface; the caller commits. Each buffer is destroyed once the compositor
    // releases it, so as many are in use as the compositor holds; those it still
    // holds go with the ring (their memory is never written again).
    void AttachTo(wl_surface* surface);

  private:
    static const wl_buffer_listener kReleaseListener;

    CWlShmRing(int width, int height, std::uint32_t* pixels, std::size_t bytes, wl_shm_pool* pool);
    void Put(int ringRow, int x, std::uint32_t pixel) {
        m_pixels[static_cast<std::size_t>(ringRow) * static_cast<std::size_t>(m_width) +
                 static_cast<std::size_t>(x)] = pixel;
    }
    void PutTwice(int line, int x, std::uint32_t pixel) {
        Put(line % m_height, x, pixel);
        Put(line % m_height + m_height, x, pixel);
    }

    int m_width;
    int m_height;
    std::uint32_t* m_pixels;  // 2H rows of XRGB8888
    std::size_t m_bytes;
    wl_shm_pool* m_pool;
    std::vector<wl_buffer*> m_buffers;  // attached and not yet released
    int m_top = 0;                      // the ring row of the picture's top row
};
