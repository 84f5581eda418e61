#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "shell/DrawingSurface.h"

// Rows of XRGB8888 pixels in memory that the compositor reads, and the buffers
// shown from them. Made by the Wayland backend (wl_shm) and by tests.
class ISharedRows {
  public:
    virtual ~ISharedRows() = default;

    virtual std::uint32_t* Pixels() = 0;  // every row, one after the other
    // Attaches to the surface a buffer of `height` rows from `firstRow` on, damaged
    // whole; the caller commits. `released` runs when the compositor lets it go.
    virtual void Attach(int firstRow, int height, std::function<void()> released) = 0;
};

// Makes `rows` rows of `width` pixels; nullptr when the memory cannot be had.
using SharedRowsMaker = std::function<std::unique_ptr<ISharedRows>(int width, int rows)>;

// The picture of one output in shared memory, shown a buffer at a time without
// copying it: a buffer is a window of H rows of a pool of 2H, and scrolling moves
// the window one row on. No row of a buffer is written from its attach until the
// compositor releases it: a new row goes below the window, and when the pool has
// no row left there the picture moves to the start of a pool that nothing holds
// (another one, made when there is none), one copy of H rows per H rows drawn.
//
// A row painted at the bottom comes into view with the scroll that follows it
// (the canvas always scrolls after painting one), so the picture shows each row
// once, the newest at the bottom.
class CWaylandSurface : public IDrawingSurface {
  public:
    // `commit` commits the surface once a buffer is attached. nullptr when the
    // first pool cannot be made.
    static std::unique_ptr<CWaylandSurface> Create(SharedRowsMaker makeRows, std::function<void()> commit,
                                                   int width, int height);

    void SetPixel(int x, int y, PackedColour colour) override;
    void ScrollUp() override;
    void Fill(PackedColour colour) override;
    // Attaches a buffer that shows the picture as it is now and commits it, when
    // anything was drawn since the last.
    void Present() override;

    // A pool could not be made when one was needed (a line on stderr said so): the
    // picture cannot go on.
    bool Failed() const { return m_bFailed; }
    // The pools of shared memory in use now, held or not.
    std::size_t Pools() const { return m_pools.size(); }

  private:
    struct Pool {
        std::unique_ptr<ISharedRows> rows;
        int held = 0;  // buffers attached and not yet released
    };

    CWaylandSurface(SharedRowsMaker makeRows, std::function<void()> commit, int width, int height);
    std::uint32_t* Row(int row) const {
        return m_current->rows->Pixels() + static_cast<std::ptrdiff_t>(row) * m_width;
    }
    int TopRow() const { return m_bottom - m_height + 1; }
    // Moves the picture to the start of a pool that no buffer holds, copying its
    // first `keptRows` rows (from the top on); false when no such pool can be had.
    bool MoveToFreePool(int keptRows);
    Pool* FreePool();
    void OnReleased(Pool* pool);
    void LetSparePoolsGo();

    SharedRowsMaker m_makeRows;
    std::function<void()> m_commit;
    int m_width;
    int m_height;
    int m_poolRows;
    std::vector<std::unique_ptr<Pool>> m_pools;
    Pool* m_current = nullptr;
    int m_bottom;           // the row of the current pool that holds the picture's bottom row
    bool m_bDrawn = false;  // since the last present
    bool m_bFailed = false;
};
