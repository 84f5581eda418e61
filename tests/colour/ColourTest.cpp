#include "colour/Colour.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb Channels(PackedColour c) {
    return {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
            static_cast<int>((c >> 16) & 0xFF)};
}

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << c.r << "," << c.g << "," << c.b;
}

struct WavelengthCase {
    double nm;
    double X, Y, Z;
};

}  // namespace

TEST(Colour, WavelengthToXyz) {
    const WavelengthCase cases[] = {
        {379.99, 0, 0, 0},
        {775.0001, 0, 0, 0},
        {380, 0.0002, 0, 0.0007},
        {775, 0, 0, 0},
        {500, 0.0038, 0.4608, 0.2185},
        {442.5, 0.3852, 0.0684, 1.9973},
        {444.6, 0.38798, 0.073516, 2.0299},
        {560, 0.7052, 0.9973, 0},
        {NAN, 0, 0, 0},
        {-INFINITY, 0, 0, 0},
    };
    for (const WavelengthCase& c : cases) {
        CColour colour;
        colour.SetWavelength(c.nm);
        EXPECT_NEAR(colour.X, c.X, 1e-9) << c.nm;
        EXPECT_NEAR(colour.Y, c.Y, 1e-9) << c.nm;
        EXPECT_NEAR(colour.Z, c.Z, 1e-9) << c.nm;
        if (c.X + c.Y + c.Z == 0) {
            EXPECT_EQ(colour.x, 0);
            EXPECT_EQ(colour.y, 0);
            EXPECT_EQ(colour.z, 0);
            EXPECT_EQ(colour.sum, 0);
        }
    }
}

TEST(Colour, ChromaticityOfAWavelength) {
    CColour colour;
    colour.SetWavelength(500);
    EXPECT_NEAR(colour.sum, 0.6831, 1e-12);
    EXPECT_NEAR(colour.x, 0.005563, 5e-7);
    EXPECT_NEAR(colour.y, 0.674572, 5e-7);
    EXPECT_NEAR(colour.z, 0.319865, 5e-7);
}

TEST(Colour, XyzToRgbSolvesAgainstThePrimariesWithoutWhiteScaling) {
    const CColour d65(0.3127, 0.3291, 1.0);
    double R = 0, G = 0, B = 0;
    CColour::XYZToRGB(Rec709Space, d65.X, d65.Y, d65.Z, R, G, B);
    EXPECT_NEAR(R, 0.644, 5e-4);
    EXPECT_NEAR(G, 1.192, 5e-4);
    EXPECT_NEAR(B, 1.202, 5e-4);
    EXPECT_NEAR(R + G + B, d65.X + d65.Y + d65.Z, 1e-12);
}

TEST(Colour, PackedColourOfD65WithIntensity) {
    CColour d65(0.3127, 0.3291, 1.0);
    EXPECT_EQ(Channels(d65.GetRGB(1.0)), (Rgb{210, 255, 255}));
    EXPECT_EQ(Channels(d65.GetRGB(0.5)), (Rgb{105, 138, 138}));
    EXPECT_EQ(d65.GetRGB(0.0), 0u);
}

TEST(Colour, NegativeChannelsBecomeZeroAndHighBitsStayClear) {
    CColour spectral;
    spectral.SetWavelength(500);  // far outside the gamut: red is negative
    EXPECT_EQ(Channels(spectral.GetRGB(1.0)).r, 0);
    for (double nm = 370; nm <= 790; nm += 3.7) {
        for (double intensity : {0.0, 0.3, 1.0, 10.0, -1.0, double(NAN)}) {
            CColour colour;
            colour.SetWavelength(nm);
            EXPECT_EQ(colour.GetRGB(intensity) & 0xFF000000u, 0u) << nm << " " << intensity;
        }
    }
}

TEST(Colour, ZeroLuminanceChromaticityIsTheZeroColour) {
    CColour colour(0.3, 0.0, 1.0);
    EXPECT_EQ(colour.X, 0);
    EXPECT_EQ(colour.Y, 0);
    EXPECT_EQ(colour.Z, 0);
    EXPECT_FALSE(std::isnan(colour.x));
    EXPECT_EQ(colour.GetRGB(1.0), 0u);
}

TEST(Colour, FromPackedColour) {
    const CColour white(PackedColour{0xFFFFFF});
    EXPECT_NEAR(white.X, 0.951, 1e-12);
    EXPECT_NEAR(white.Y, 1.000, 1e-12);
    EXPECT_NEAR(white.Z, 1.089, 1e-12);
    EXPECT_NEAR(white.sum, 3.04, 1e-12);
    EXPECT_NEAR(white.x, 0.3128, 5e-5);
    EXPECT_NEAR(white.y, 0.3289, 5e-5);
    const CColour black(PackedColour{0});
    EXPECT_EQ(black.X + black.Y + black.Z + black.x + black.y + black.z + black.sum, 0);
    const CColour red(PackedColour{0x0000FF});
    EXPECT_NEAR(red.X, 0.431, 1e-12);
    EXPECT_NEAR(red.Y, 0.222, 1e-12);
}

TEST(Colour, InterpolateExtendsBackwards) {
    EXPECT_DOUBLE_EQ(Interpolate(445, 440, 450, 1, 3), 2);
    EXPECT_NEAR(Interpolate(444.6, 445, 450, 0, 10), -0.8, 1e-12);
}
