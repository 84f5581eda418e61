#include "platform/wayland/WaylandSurface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::size_t kSparePools = 1;

}  // namespace

std::unique_ptr<CWaylandSurface> CWaylandSurface::Create(SharedRowsMaker makeRows,
                                                         std::function<void()> commit, int width,
                                                         int height) {
    std::unique_ptr<CWaylandSurface> surface(
        new CWaylandSurface(std::move(makeRows), std::move(commit), width, height));
    return surface->m_current != nullptr ? std::move(surface) : nullptr;
}

CWaylandSurface::CWaylandSurface(SharedRowsMaker makeRows, std::function<void()> commit, int width,
                                 int height)
    : m_makeRows(std::move(makeRows)),
      m_commit(std::move(commit)),
      m_width(std::max(width, 1)),
      m_height(std::max(height, 1)),
      m_poolRows(2 * m_height),
      m_bottom(m_height - 1) {
    m_current = FreePool();
}

void CWaylandSurface::SetPixel(int x, int y, PackedColour colour) {
    if (x < 0 || x >= m_width || y < 0 || y >= m_height || m_bFailed) {
        return;
    }
    // The bottom row is painted in the row below the picture, which no buffer holds.
    int row = m_bottom + 1;
    if (y < m_height - 1) {
        if (m_current->held > 0 && !MoveToFreePool(m_height + 1)) {
            return;
        }
        row = TopRow() + y;
    }
    Row(row)[x] = XrgbOf(colour);
    m_bDrawn = true;
}

void CWaylandSurface::ScrollUp() {
    if (m_bFailed) {
        return;
    }
    ++m_bottom;
    if (m_bottom + 1 == m_poolRows && !MoveToFreePool(m_height)) {
        return;
    }
    // The next bottom row starts as this one, as a scroll leaves it.
    std::memcpy(Row(m_bottom + 1), Row(m_bottom), static_cast<std::size_t>(m_width) * 4);
    m_bDrawn = true;
}

void CWaylandSurface::Fill(PackedColour colour) {
    if (m_bFailed || (m_current->held > 0 && !MoveToFreePool(0))) {
        return;
    }
    std::fill(Row(TopRow()), Row(m_bottom + 2), XrgbOf(colour));
    m_bDrawn = true;
}

void CWaylandSurface::Present() {
    if (m_bFailed || !m_bDrawn) {
        return;
    }
    Pool* pool = m_current;
    ++pool->held;
    pool->rows->Attach(TopRow(), m_height, [this, pool] { OnReleased(pool); });
    m_commit();
    m_bDrawn = false;
}

bool CWaylandSurface::MoveToFreePool(int keptRows) {
    Pool* pool = m_current->held == 0 ? m_current : FreePool();
    if (pool == nullptr) {
        std::fprintf(stderr, "lucenta: cannot share more memory for a picture of %dx%d pixels\n", m_width,
                     m_height);
        m_bFailed = true;
        return false;
    }
    // memmove: the move may be within the same pool.
    std::memmove(pool->rows->Pixels(), Row(TopRow()),
                 static_cast<std::size_t>(m_width) * 4 * static_cast<std::size_t>(keptRows));
    m_current = pool;
    m_bottom = m_height - 1;
    LetSparePoolsGo();
    return true;
}

CWaylandSurface::Pool* CWaylandSurface::FreePool() {
    for (const auto& pool : m_pools) {
        if (pool.get() != m_current && pool->held == 0) {
            return pool.get();
        }
    }
    std::unique_ptr<ISharedRows> rows = m_makeRows(m_width, m_poolRows);
    if (!rows) {
        return nullptr;
    }
    m_pools.push_back(std::make_unique<Pool>());
    m_pools.back()->rows = std::move(rows);
    return m_pools.back().get();
}

void CWaylandSurface::OnReleased(Pool* pool) {
    --pool->held;
}

// Pools that nothing holds are kept for later moves, up to kSparePools of them.
void CWaylandSurface::LetSparePoolsGo() {
    std::size_t spare = 0;
    m_pools.erase(std::remove_if(m_pools.begin(), m_pools.end(),
                                 [&](const std::unique_ptr<Pool>& pool) {
                                     return pool.get() != m_current && pool->held == 0 &&
                                            ++spare > kSparePools;
                                 }),
                  m_pools.end());
}
