#include "platform/wayland/WaylandSurface.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <unordered_map>

namespace {

// Shared rows in plain memory. Each attach is recorded with a copy of the rows it
// shows, so that a write into a buffer the compositor still holds is found when
// the buffer is released.
class Compositor;

class FakeRows : public ISharedRows {
  public:
    FakeRows(Compositor& compositor, int width, int rows)
        : m_compositor(compositor), m_width(width), m_pixels(static_cast<std::size_t>(width * rows)) {}

    std::uint32_t* Pixels() override { return m_pixels.data(); }
    void Attach(int firstRow, int height, std::function<void()> released) override;

    std::vector<std::uint32_t> Copy(int firstRow, int height) const {
        const auto begin = m_pixels.begin() + firstRow * m_width;
        return {begin, begin + height * m_width};
    }

  private:
    Compositor& m_compositor;
    int m_width;
    std::vector<std::uint32_t> m_pixels;
};

// Holds the buffers attached to it, the newest `holds` of them, as a compositor
// holds the one on the screen and those not yet shown.
class Compositor {
  public:
    struct Buffer {
        FakeRows* rows;
        int firstRow;
        int height;
        std::vector<std::uint32_t> shown;
        std::function<void()> released;
    };

    explicit Compositor(std::size_t holds) : m_holds(holds) {}

    SharedRowsMaker Maker() {
        return [this](int width, int rows) { return std::make_unique<FakeRows>(*this, width, rows); };
    }

    void Take(Buffer buffer) {
        m_held.push_back(std::move(buffer));
        while (m_held.size() > m_holds) {
            ReleaseOldest();
        }
    }

    void ReleaseAll() {
        while (!m_held.empty()) {
            ReleaseOldest();
        }
    }

    const Buffer& Newest() const { return m_held.back(); }
    int WritesIntoHeldBuffers() const { return m_writesIntoHeld; }

  private:
    void ReleaseOldest() {
        Buffer buffer = std::move(m_held.front());
        m_held.pop_front();
        if (buffer.rows->Copy(buffer.firstRow, buffer.height) != buffer.shown) {
            ++m_writesIntoHeld;
        }
        buffer.released();
    }

    std::size_t m_holds;
    std::deque<Buffer> m_held;
    int m_writesIntoHeld = 0;
};

void FakeRows::Attach(int firstRow, int height, std::function<void()> released) {
    m_compositor.Take({this, firstRow, height, Copy(firstRow, height), std::move(released)});
}

constexpr PackedColour kBackground = 0x000000;

// Row n of the test's picture, all one colour of its own (an odd factor makes them
// differ); 0 is the background.
PackedColour LineColour(int n) {
    return n == 0 ? kBackground : static_cast<PackedColour>(0x010203 * n) & 0xFFFFFF;
}

std::uint32_t Xrgb(PackedColour colour) {
    return (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

// The lines that a buffer's rows show, by their colour; -1 for a row of mixed or unknown colours.
std::vector<int> LinesShown(const std::vector<std::uint32_t>& rows, int width, int lines) {
    std::unordered_map<std::uint32_t, int> lineOf;
    for (int n = 0; n <= lines; ++n) {
        lineOf[Xrgb(LineColour(n))] = n;
    }
    std::vector<int> shown;
    for (auto row = rows.begin(); row != rows.end(); row += width) {
        const auto found = lineOf.find(*row);
        const bool even = std::all_of(row, row + width, [&](std::uint32_t p) { return p == *row; });
        shown.push_back(found != lineOf.end() && even ? found->second : -1);
    }
    return shown;
}

}  // namespace

TEST(WaylandSurface, NoRowOfAHeldBufferIsWrittenAndEveryFrameShowsTheNewestRows) {
    struct Case {
        int height;
        int rowsPerFrame;
        std::size_t buffersHeld;
    };
    const Case cases[] = {
        {5, 1, 1},  {5, 1, 2},   {5, 3, 2},    {5, 4, 1}, {5, 5, 2}, {5, 6, 2},    {5, 23, 3},
        {40, 1, 2}, {40, 39, 2}, {40, 100, 2}, {1, 1, 2}, {2, 7, 2}, {40, 400, 4},
    };
    constexpr int kWidth = 3;
    constexpr int kFrames = 60;
    for (const Case& c : cases) {
        const std::string what = "height " + std::to_string(c.height) + ", " +
                                 std::to_string(c.rowsPerFrame) + " rows a frame, " +
                                 std::to_string(c.buffersHeld) + " buffers held";
        Compositor compositor(c.buffersHeld);
        auto surface = CWaylandSurface::Create(
            compositor.Maker(), [] {}, kWidth, c.height);
        ASSERT_NE(surface, nullptr) << what;
        surface->Fill(kBackground);
        int line = 0;
        std::size_t mostPools = 0;
        for (int frame = 0; frame < kFrames; ++frame) {
            for (int k = 0; k < c.rowsPerFrame; ++k) {
                ++line;
                for (int x = 0; x < kWidth; ++x) {
                    surface->SetPixel(x, c.height - 1, LineColour(line));
                }
                surface->ScrollUp();
            }
            surface->Present();
            std::vector<int> expected;
            for (int y = 0; y < c.height; ++y) {
                expected.push_back(std::max(line - c.height + 1 + y, 0));
            }
            ASSERT_EQ(LinesShown(compositor.Newest().shown, kWidth, line), expected)
                << what << ", frame " << frame;
            mostPools = std::max(mostPools, surface->Pools());
        }
        compositor.ReleaseAll();
        EXPECT_EQ(compositor.WritesIntoHeldBuffers(), 0) << what;
        EXPECT_FALSE(surface->Failed()) << what;
        const std::size_t rowsHeld = c.buffersHeld * static_cast<std::size_t>(c.rowsPerFrame);
        EXPECT_LE(mostPools, rowsHeld / static_cast<std::size_t>(c.height) + 3) << what;
    }
}

TEST(WaylandSurface, APictureThatNeedsAPoolWhenNoneCanBeMadeFails) {
    Compositor compositor(8);
    int made = 0;
    auto surface = CWaylandSurface::Create(
        [&](int width, int rows) -> std::unique_ptr<ISharedRows> {
            return made++ == 0 ? std::make_unique<FakeRows>(compositor, width, rows) : nullptr;
        },
        [] {}, 2, 4);
    ASSERT_NE(surface, nullptr);
    surface->Fill(kBackground);
    surface->Present();
    for (int k = 0; k < 4 && !surface->Failed(); ++k) {
        surface->SetPixel(0, 3, LineColour(1));
        surface->ScrollUp();
    }
    EXPECT_TRUE(surface->Failed()) << "the only pool is held and it is full";
    EXPECT_EQ(CWaylandSurface::Create([](int, int) { return nullptr; }, [] {}, 2, 4), nullptr);
    compositor.ReleaseAll();
    EXPECT_EQ(compositor.WritesIntoHeldBuffers(), 0);
}
