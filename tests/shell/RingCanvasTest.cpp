#include "shell/RingCanvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "colour/Palette.h"
#include "ringing/Change.h"
#include "shell/MemorySurface.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TempDirectory.h"

namespace {

// A user's registry and current directory of its own for each test.
class RingCanvasTest : public testing::Test {
  protected:
    void Store(const char16_t* name, const std::u16string& text) {
        CSettings settings;
        const bool wavelength = name == kBottom || name == kTop || name == kIntensity;
        (wavelength ? settings.Wavelength() : settings.Config()).GetEntry(name).SetString(text);
    }

    std::vector<PackedColour> RowOf(const CRingCanvas& canvas) {
        return std::vector<PackedColour>(canvas.Row(), canvas.Row() + canvas.Bells());
    }

    std::vector<PackedColour> BottomRow(const CMemorySurface& surface) {
        std::vector<PackedColour> row;
        for (int x = 0; x < surface.Width(); ++x) {
            row.push_back(surface.GetPixel(x, surface.Height() - 1));
        }
        return row;
    }

    RegistrySandbox m_registry;
    TempDirectory m_directory;
};

// The palette as painted after k changes of `method`, computed from bell indices.
std::vector<PackedColour> Expected(const std::vector<PackedColour>& palette, int method, int k) {
    const int n = static_cast<int>(palette.size());
    CPlaceNotation notation(n, method);
    std::vector<std::uint32_t> bells(palette.size());
    std::iota(bells.begin(), bells.end(), 0u);
    int place = PN_NOTATION_END;
    for (int step = 0; step < k; ++step) {
        place = ApplyNextChange(notation, place, bells.data(), n);
    }
    std::vector<PackedColour> row;
    for (std::uint32_t bell : bells) {
        const PackedColour entry = palette[bell];
        row.push_back((entry & kTrebleMark) != 0 ? 0 : entry);
    }
    return row;
}

}  // namespace

TEST_F(RingCanvasTest, FirstSetupWritesDefaultsLogAndMarksTheTreble) {
    CRingCanvas canvas;
    canvas.Setup(4, 3);
    EXPECT_EQ(canvas.Bells(), 4);
    EXPECT_EQ(canvas.Height(), 3);
    EXPECT_EQ(canvas.Background(), 0u);
    EXPECT_EQ(RowOf(canvas), (std::vector<PackedColour>{kTrebleMark | 78 | 206 << 16, 192 << 8 | 167 << 16,
                                                        53 | 255 << 8, 255 | 185 << 8}));
    const std::string log = m_directory.Read(kColourLogName);
    EXPECT_EQ(log.substr(0, log.find("\r\n\r\n") + 4), std::string(kColourLogHeader) + "\r\n\r\n");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 6);
    EXPECT_NE(log.find("440.0, 0.141,  0.062,  0.488,  0.204,  0.090,   78,    0,  206,"), std::string::npos)
        << "the log shows the colour without the treble mark";

    CSettings stored;
    EXPECT_EQ(std::u16string(stored.Wavelength().GetEntry(kBottom).GetString()), u"440.000000");
    EXPECT_EQ(std::u16string(stored.Config().GetEntry(kShowTreble).GetString()), u"1");
}

TEST_F(RingCanvasTest, SettingsChooseBackgroundTrebleAndRange) {
    Store(kBottom, u"500");
    Store(kTop, u"400");
    Store(kBackground, u"2");
    Store(kShowTreble, u"0");
    CRingCanvas canvas;
    canvas.Setup(4, 2);
    EXPECT_EQ(canvas.Background(), 0xFFFFFFu);
    for (PackedColour entry : RowOf(canvas)) {
        EXPECT_EQ(entry & kTrebleMark, 0u);
    }
    EXPECT_NE(m_directory.Read(kColourLogName).find("\r\n425.0, "), std::string::npos);

    Store(kShowTreble, u"5");
    CRingCanvas marked;
    marked.Setup(4, 2);
    EXPECT_NE(marked.Row()[0] & kTrebleMark, 0u);
}

TEST_F(RingCanvasTest, WavelengthsThatAreNoFiniteNumberGiveTheDefaultPictureAndAWarning) {
    const std::vector<PackedColour> byDefault = [] {
        CRingCanvas canvas;
        canvas.Setup(4, 2);
        return std::vector<PackedColour>(canvas.Row(), canvas.Row() + 4);
    }();
    const struct {
        const char16_t* name;
        const char16_t* stored;
        const char* warning;  // a part of it; the row is the default one where it says "uses"
    } cases[] = {
        {kBottom, u"nan", "\"Bottom\" is \"nan\", which is no finite number: the picture uses 440"},
        {kTop, u"inf", "\"Top\" is \"inf\", which is no finite number: the picture uses 640"},
        {kIntensity, u"-Infinity",
         "\"Intensity\" is \"-Infinity\", which is no finite number: the picture uses 1"},
        {kIntensity, u"lots", "\"Intensity\" is \"lots\", which is no number: the picture takes it as 0"},
    };
    for (const auto& c : cases) {
        Store(c.name, c.stored);
        testing::internal::CaptureStderr();
        CRingCanvas canvas;
        canvas.Setup(4, 2);
        const std::string warning = testing::internal::GetCapturedStderr();
#ifdef _WIN32
        EXPECT_EQ(warning, "") << "the Windows saver shows no message";
#else
        EXPECT_NE(warning.find(c.warning), std::string::npos) << warning;
#endif
        const bool byDefaultValue = std::string(c.warning).find("uses") != std::string::npos;
        EXPECT_EQ(RowOf(canvas) == byDefault, byDefaultValue) << c.warning;
        EXPECT_EQ(m_directory.Read(kColourLogName).find("nan"), std::string::npos) << c.warning;
        CSettings stored;
        EXPECT_EQ(std::u16string(stored.Wavelength().GetEntry(c.name).GetString()), c.stored)
            << "nothing written";
        Store(c.name, c.name == kBottom ? u"440" : c.name == kTop ? u"640" : u"1");
    }
}

TEST_F(RingCanvasTest, BottomOfZeroResetsTheUsersChoices) {
    Store(kBottom, u"0");
    Store(kMethod, u"6");
    Store(kShowTreble, u"0");
    CRingCanvas canvas;
    canvas.Setup(8, 2);
    CSettings stored;
    EXPECT_EQ(stored.Config().GetEntry(kMethod).GetInteger(), 0);
    EXPECT_EQ(stored.Config().GetEntry(kShowTreble).GetInteger(), 1);
    EXPECT_NE(canvas.Row()[0] & kTrebleMark, 0u);
}

TEST_F(RingCanvasTest, BottomRowIsThePalettePermutedByTheChanges) {
    for (int method : {1, 2, 7, 8, 10}) {
        Store(kMethod, std::u16string(1, static_cast<char16_t>(u'0' + method - 1)));
        Store(kBottom, u"440");
        CRingCanvas canvas;
        canvas.Setup(37, 5);
        const std::vector<PackedColour> palette = RowOf(canvas);
        CMemorySurface surface(37, 5);
        surface.Fill(canvas.Background());
        for (int k = 1; k <= 150; ++k) {
            canvas.DrawNextRow(surface);
            ASSERT_EQ(BottomRow(surface), Expected(palette, method, k))
                << "method " << method << " row " << k;
        }
    }
}

TEST_F(RingCanvasTest, RowsEnterAtTheBottomAndClimb) {
    Store(kBackground, u"1");
    CRingCanvas canvas;
    canvas.Setup(6, 4);
    CMemorySurface surface(6, 4);
    surface.Fill(canvas.Background());
    canvas.DrawNextRow(surface);
    const std::vector<PackedColour> first = BottomRow(surface);
    canvas.DrawNextRow(surface);
    for (int x = 0; x < 6; ++x) {
        // Each step paints at the bottom and scrolls: the first row now stands two rows up.
        EXPECT_EQ(surface.GetPixel(x, 1), first[static_cast<std::size_t>(x)]);
        EXPECT_NE(surface.GetPixel(x, 2), 0xFFFFFFu);
        EXPECT_EQ(surface.GetPixel(x, 0), 0xFFFFFFu) << "still background";
    }
}

TEST_F(RingCanvasTest, RowsDrawnInOneGoLeaveTheSurfaceAsRowByRow) {
    constexpr int kWidth = 9;
    for (int height : {1, 2, 5}) {
        for (int count : {1, height - 1, height, height + 1, 3 * height + 2}) {
            CRingCanvas oneByOne;
            oneByOne.Setup(kWidth, height);
            CMemorySurface expected(kWidth, height);
            CRingCanvas inOneGo;
            inOneGo.Setup(kWidth, height);
            CMemorySurface actual(kWidth, height);
            for (int frame = 0; frame < 3; ++frame) {  // the rows go on from where the last frame left them
                for (int k = 0; k < count; ++k) {
                    oneByOne.DrawNextRow(expected);
                }
                inOneGo.DrawRows(actual, count);
                for (int y = 0; y < height; ++y) {
                    for (int x = 0; x < kWidth; ++x) {
                        ASSERT_EQ(actual.GetPixel(x, y), expected.GetPixel(x, y))
                            << "height " << height << ", " << count << " rows a frame, frame " << frame
                            << ", (" << x << ", " << y << ")";
                    }
                }
            }
        }
    }
}

TEST_F(RingCanvasTest, TrebleIsBlackOnAnyBackgroundAndNothingElseIs) {
    Store(kBackground, u"1");
    CRingCanvas canvas;
    canvas.Setup(24, 2);
    CMemorySurface surface(24, 2);
    for (int k = 0; k < 60; ++k) {
        canvas.DrawNextRow(surface);
        const std::vector<PackedColour> row = BottomRow(surface);
        EXPECT_EQ(std::count(row.begin(), row.end(), 0u), 1) << k;
    }
}

TEST_F(RingCanvasTest, NoMethodLeavesTheRowButStillPaintsAndScrolls) {
    Store(kMethod, u"8");  // method number 9 names no method
    CRingCanvas canvas;
    canvas.Setup(5, 3);
    const std::vector<PackedColour> start = Expected(RowOf(canvas), 1, 0);
    CMemorySurface surface(5, 3);
    surface.Fill(0x123456);
    canvas.DrawNextRow(surface);
    canvas.DrawNextRow(surface);
    EXPECT_EQ(BottomRow(surface), start);
    EXPECT_EQ(surface.GetPixel(0, 1), start[0]);
}

TEST_F(RingCanvasTest, NarrowAndEmptyWindowsStayInsideTheRow) {
    Store(kMethod, u"6");  // Cambridge Surprise has fixed places beyond three bells
    CRingCanvas canvas;
    canvas.Setup(64, 2);
    CMemorySurface surface(64, 2);
    for (int width : {3, 1, 0, 2}) {
        canvas.Setup(width, 2);
        for (int k = 0; k < 300; ++k) {
            canvas.DrawNextRow(surface);
        }
    }
    canvas.Setup(0, 0);
    canvas.DrawNextRow(surface);
    EXPECT_EQ(m_directory.Read(kColourLogName), std::string(kColourLogHeader) + "\r\n\r\n");
}

TEST_F(RingCanvasTest, SetupStartsThePictureOverFromRounds) {
    CRingCanvas canvas;
    canvas.Setup(12, 2);
    CMemorySurface surface(12, 2);
    canvas.DrawNextRow(surface);
    const std::vector<PackedColour> firstRow = BottomRow(surface);
    for (int k = 0; k < 5; ++k) {
        canvas.DrawNextRow(surface);
    }
    canvas.Setup(12, 2);
    canvas.DrawNextRow(surface);
    EXPECT_EQ(BottomRow(surface), firstRow);
}

TEST_F(RingCanvasTest, UnwritableLogStillBuildsThePalette) {
    std::filesystem::create_directory(m_directory.Path() / kColourLogName);
    CRingCanvas canvas;
    canvas.Setup(4, 2);
    EXPECT_EQ(canvas.Row()[3], 255u | 185u << 8);
}
