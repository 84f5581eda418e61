#include "shell/MemorySurface.h"

#include <gtest/gtest.h>

TEST(MemorySurface, ScrollMovesEverythingUpAndKeepsTheBottomRow) {
    CMemorySurface surface(2, 3);
    surface.Fill(9);
    surface.SetPixel(0, 0, 1);
    surface.SetPixel(0, 1, 2);
    surface.SetPixel(0, 2, 3);
    surface.SetPixel(1, 2, 4);
    surface.ScrollUp();
    EXPECT_EQ(surface.GetPixel(0, 0), 2u);
    EXPECT_EQ(surface.GetPixel(0, 1), 3u);
    EXPECT_EQ(surface.GetPixel(0, 2), 3u) << "the bottom row keeps its pixels";
    EXPECT_EQ(surface.GetPixel(1, 2), 4u);
    EXPECT_EQ(surface.GetPixel(1, 0), 9u);
    surface.SetPixel(0, 2, 5);
    surface.ScrollUp();
    surface.ScrollUp();
    EXPECT_EQ(surface.GetPixel(0, 0), 5u);
    EXPECT_EQ(surface.GetPixel(0, 2), 5u);
}

TEST(MemorySurface, DegenerateSizesAndOutsidePixelsAreSafe) {
    CMemorySurface one(3, 1);
    one.SetPixel(1, 0, 7);
    one.ScrollUp();
    EXPECT_EQ(one.GetPixel(1, 0), 7u);
    CMemorySurface empty(0, 0);
    empty.Fill(1);
    empty.ScrollUp();
    empty.SetPixel(0, 0, 1);
    CMemorySurface surface(2, 2);
    surface.SetPixel(-1, 0, 1);
    surface.SetPixel(2, 0, 1);
    surface.SetPixel(0, 2, 1);
    surface.SetPixel(0, -1, 1);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(surface.GetPixel(x, y), 0u);
        }
    }
}
