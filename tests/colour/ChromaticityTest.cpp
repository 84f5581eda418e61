#include "colour/Chromaticity.h"

#include <gtest/gtest.h>

TEST(Line, PointOnTheLineIsNeitherAboveNorBelow) {
    const CLine line(0, 1, 2, 5);  // y = 2x + 1
    EXPECT_FALSE(line.IsAbove(1, 3));
    EXPECT_FALSE(line.IsBelow(1, 3));
    EXPECT_TRUE(line.IsAbove(1, 3.5));
    EXPECT_TRUE(line.IsBelow(1, 2.5));
}

TEST(Line, IntersectionIsTheSameFromEitherLine) {
    const CLine a(0, 1, 1, 3);  // y = 2x + 1
    const CLine b(4, 0, 0, 4);  // y = -x + 4, points given right to left
    double x = 0, y = 0;
    ASSERT_TRUE(a.Intersect(b, x, y));
    EXPECT_DOUBLE_EQ(x, 1);
    EXPECT_DOUBLE_EQ(y, 3);
    x = y = 0;
    ASSERT_TRUE(b.Intersect(a, x, y));
    EXPECT_DOUBLE_EQ(x, 1);
    EXPECT_DOUBLE_EQ(y, 3);
}

TEST(Line, ParallelLinesDoNotIntersect) {
    const CLine a(0, 1, 1, 3);
    const CLine b(0, 5, 2, 9);
    double x = 7, y = 8;
    EXPECT_FALSE(a.Intersect(b, x, y));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);
}

TEST(GamutClipper, EdgesOfTheClippingSpace) {
    const CColourSpace space = ClippingSpace();
    const CLine redGreen(space.red.x, space.red.y, space.green.x, space.green.y);
    const CLine greenBlue(space.green.x, space.green.y, space.blue.x, space.blue.y);
    const CLine redBlue(space.red.x, space.red.y, space.blue.x, space.blue.y);
    EXPECT_NEAR(redGreen.Slope(), -0.794118, 5e-7);
    EXPECT_NEAR(redGreen.Intercept(), 0.838235, 5e-7);
    EXPECT_NEAR(greenBlue.Slope(), 3.6, 5e-7);
    EXPECT_NEAR(greenBlue.Intercept(), -0.48, 5e-7);
    EXPECT_NEAR(redBlue.Slope(), 0.551020, 5e-7);
    EXPECT_NEAR(redBlue.Intercept(), -0.022653, 5e-7);
    EXPECT_EQ(space.white.x, 0.3727);
    EXPECT_EQ(Rec709Space.white.x, 0.3127);
}

struct ClipCase {
    const char* what;
    double x, y;
    int mask;
    double clippedX, clippedY;
};

TEST(GamutClipper, MovesOutsidePointsOntoTheTriangle) {
    const ClipCase cases[] = {
        {"white point", 0.3727, 0.3291, 0, 0.3727, 0.3291},
        {"inside", 0.3, 0.3, 0, 0.3, 0.3},
        {"500 nm", 0.005563, 0.674572, 4, 0.2554, 0.4395},
        {"520 nm", 0.1252, 0.8103, 6, 0.2766, 0.5159},
        {"440 nm", 0.1590, 0.0257, 1, 0.2042, 0.0898},
        {"zero chromaticity", 0, 0, 4, 0.17667, 0.15600},
        {"below the purple edge under the white", 0.3727, 0.0, 1, 0.3727, 0.551020 * 0.3727 - 0.022653},
    };
    const CGamutClipper clipper(ClippingSpace());
    for (const ClipCase& c : cases) {
        double x = c.x, y = c.y;
        EXPECT_EQ(clipper.Clip(x, y), c.mask) << c.what;
        EXPECT_NEAR(x, c.clippedX, 1e-4) << c.what;
        EXPECT_NEAR(y, c.clippedY, 1e-4) << c.what;
    }
}
