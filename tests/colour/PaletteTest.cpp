#include "colour/Palette.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <random>
#include <sstream>
#include <vector>

#include "tests/support/TempDirectory.h"

namespace {

// Builds a palette with its log and returns the log's column lines.
std::vector<std::string> LogLines(double bottom, double top, double intensity, int columns,
                                  std::vector<PackedColour>* colours = nullptr) {
    TempDirectory dir;
    std::vector<PackedColour> row(static_cast<std::size_t>(columns));
    const TextFileHandle log = OpenTextFile("palette.log", 1);
    BuildPalette(bottom, top, intensity, columns, row.data(), log);
    CloseTextFile(log);
    if (colours != nullptr) {
        *colours = row;
    }
    std::vector<std::string> lines;
    std::istringstream text(dir.Read("palette.log"));
    for (std::string line; std::getline(text, line);) {
        EXPECT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The log's format; "#" has no effect on the integer fields, so they go without it here.
std::string PrintfLine(const PaletteColumn& c) {
    char buffer[256];
    std::snprintf(
        buffer, sizeof buffer,
        "%#5.1f, %#5.3f,  %#5.3f,  %#5.3f,  %#5.3f,  %#5.3f,  %3d,  %3d,  %3d,  %#5.3f,  %#5.3f,  %1d", c.nm,
        c.X, c.Y, c.Z, c.x, c.y, static_cast<int>(c.rgb & 0xFF), static_cast<int>((c.rgb >> 8) & 0xFF),
        static_cast<int>((c.rgb >> 16) & 0xFF), c.specX, c.specY, c.mask);
    return buffer;
}

}  // namespace

TEST(Palette, LogLineFormatMatchesPrintfInTheCLocale) {
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-2000, 2000);
    std::uniform_real_distribution<double> small(-2, 2);
    for (int k = 0; k < 2000; ++k) {
        const PaletteColumn column{value(random),
                                   small(random),
                                   small(random),
                                   small(random),
                                   small(random),
                                   small(random),
                                   static_cast<PackedColour>(random() & 0xFFFFFF),
                                   small(random),
                                   small(random),
                                   static_cast<int>(random() % 8)};
        ASSERT_EQ(FormatLogLine(column), PrintfLine(column));
    }
    const PaletteColumn wide{123456.78, 12345.6789, 0, -0.0004, 1, 0, 0xFFFFFF, 99, -99, 7};
    EXPECT_EQ(FormatLogLine(wide), PrintfLine(wide));
}

TEST(Palette, LogLinesOfTheDefaultRange) {
    const std::vector<std::string> lines = LogLines(440, 640, 1, 200);
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_EQ(lines[0], "440.0, 0.141,  0.062,  0.488,  0.204,  0.090,   78,    0,  206,  0.159,  0.026,  1");
    EXPECT_EQ(lines[60],
              "500.0, 0.268,  0.461,  0.320,  0.255,  0.439,    0,  223,  151,  0.006,  0.675,  4");
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(lines[static_cast<std::size_t>(i)].substr(0, 6), std::to_string(440 + i) + ".0,") << i;
    }
}

struct ColumnCase {
    const char* line;  // nm, clipped x and y, R G B, spectral x and y, mask, as the log shows them
    PackedColour rgb;
};

TEST(Palette, FourColumns) {
    std::vector<PackedColour> colours;
    const std::vector<std::string> lines = LogLines(440, 640, 1, 4, &colours);
    const ColumnCase expected[] = {
        {"440.0 0.204 0.090 78 0 206 0.159 0.026 1", 78 | 0 << 8 | 206 << 16},
        {"490.0 0.237 0.372 0 192 167 0.021 0.440 4", 0 | 192 << 8 | 167 << 16},
        {"540.0 0.307 0.594 53 255 0 0.279 0.711 2", 53 | 255 << 8 | 0 << 16},
        {"590.0 0.555 0.397 255 185 0 0.590 0.410 2", 255 | 185 << 8 | 0 << 16},
    };
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        std::istringstream fields(lines[i]);
        std::vector<std::string> f;
        for (std::string field; std::getline(fields, field, ',');) {
            f.push_back(field.substr(field.find_first_not_of(' ')));
        }
        ASSERT_EQ(f.size(), 12u);
        const std::string shown = f[0] + " " + f[4] + " " + f[5] + " " + f[6] + " " + f[7] + " " + f[8] +
                                  " " + f[9] + " " + f[10] + " " + f[11];
        EXPECT_EQ(shown, expected[i].line);
        EXPECT_EQ(colours[i], expected[i].rgb) << i;
    }
}

TEST(Palette, ColumnsSpreadOverTheRangeWithoutReachingTop) {
    const std::vector<std::string> wide = LogLines(440, 640, 1, 1920);
    ASSERT_EQ(wide.size(), 1920u);
    EXPECT_EQ(wide[1].substr(0, 6), "440.1,");
    EXPECT_EQ(wide.back().substr(0, 6), "639.9,");
    const std::vector<std::string> single = LogLines(440, 640, 1, 1);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].substr(0, 6), "440.0,");
    const std::vector<std::string> downwards = LogLines(500, 400, 1, 4);
    EXPECT_EQ(downwards[3].substr(0, 6), "425.0,");
}

TEST(Palette, OutOfRangeSettingsGiveBlackColumns) {
    std::vector<PackedColour> colours;
    LogLines(800, 900, 1, 3, &colours);
    EXPECT_EQ(colours, (std::vector<PackedColour>{0, 0, 0}));
    LogLines(440, 640, 0, 3, &colours);
    EXPECT_EQ(colours, (std::vector<PackedColour>{0, 0, 0}));
    LogLines(550, 550, 1, 3, &colours);
    EXPECT_EQ(colours[0], colours[2]);
    EXPECT_NE(colours[0], 0u);
}
