#include "platform/win32/shell/DcSurface.h"

#include <gtest/gtest.h>

#include <random>

#include "shell/MemorySurface.h"

// The same drawing on a real device context (a DIB in a memory DC) and on the
// in-memory surface gives the same picture.
TEST(DcSurface, DrawsLikeTheMemorySurface) {
    constexpr int kWidth = 16;
    constexpr int kHeight = 9;
    const HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    const HGDIOBJ previous = SelectObject(dc, bitmap);

    const RECT area{0, 0, kWidth, kHeight};
    CDcSurface real(dc, area);
    CMemorySurface memory(kWidth, kHeight);
    std::mt19937 random(3);
    real.Fill(0xFFFFFF);
    memory.Fill(0xFFFFFF);
    for (int step = 0; step < 200; ++step) {
        for (int x = 0; x < kWidth; ++x) {
            const PackedColour colour = random() & 0xFFFFFF;
            real.SetPixel(x, kHeight - 1, colour);
            memory.SetPixel(x, kHeight - 1, colour);
        }
        real.ScrollUp();
        memory.ScrollUp();
    }
    GdiFlush();
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(GetPixel(dc, x, y), memory.GetPixel(x, y)) << x << "," << y;
        }
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
}
