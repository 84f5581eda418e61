#include "shell/FramePacing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;
using std::chrono::seconds;

constexpr PaceTime kStart = seconds(1000);

}  // namespace

// Rows due at each frame, for frames at the given times after the start.
TEST(RowPacer, RowsDueFollowTheSpeedAtEveryFrame) {
    struct Case {
        const char* what;
        int speed;
        std::vector<nanoseconds> frames;
        std::vector<std::int64_t> due;
    };
    const nanoseconds frame60(16666667);  // a 60 Hz frame, rounded up
    const std::vector<Case> cases = {
        {"one row per frame at 60 Hz", 60, {frame60, 2 * frame60, 3 * frame60, 10 * frame60}, {1, 1, 1, 7}},
        {"above the frame rate", 240, {frame60, 2 * frame60, 3 * frame60}, {4, 4, 4}},
        {"below it some frames bring none",
         20,
         {frame60, 2 * frame60, 3 * frame60, 6 * frame60},
         {0, 0, 1, 1}},
        {"a late frame catches up", 60, {frame60, milliseconds(150), milliseconds(167)}, {1, 8, 1}},
        {"a stall is skipped, not raced through",
         60,
         {frame60, seconds(10), seconds(10) + frame60},
         {1, 1, 1}},
        {"a stall just past the limit is skipped too",
         60,
         {frame60, frame60 + milliseconds(300), frame60 + milliseconds(300) + frame60},
         {1, 1, 1}},
        {"a stall just short of it is caught up", 60, {frame60, frame60 + milliseconds(240)}, {1, 14}},
        {"unpaced: one row whenever asked", 0, {nanoseconds(0), nanoseconds(1), seconds(5)}, {1, 1, 1}},
        {"a clock behind the start brings none", 60, {-seconds(1), nanoseconds(0)}, {0, 0}},
        {"the fastest speed", 100000, {milliseconds(10), milliseconds(20)}, {1000, 1000}},
    };
    for (const Case& c : cases) {
        CRowPacer pacer(c.speed, kStart);
        for (std::size_t k = 0; k < c.frames.size(); ++k) {
            EXPECT_EQ(pacer.TakeRowsDue(kStart + c.frames[k]), c.due[k]) << c.what << ", frame " << k;
        }
    }
}

TEST(RowPacer, NextRowIsDueAtTheRowsOwnTime) {
    CRowPacer pacer(3, kStart);
    EXPECT_EQ(pacer.NextRowDue(), kStart + nanoseconds(333333334));
    EXPECT_EQ(pacer.TakeRowsDue(kStart + nanoseconds(333333333)), 0);
    EXPECT_EQ(pacer.TakeRowsDue(kStart + nanoseconds(333333334)), 1);
    EXPECT_EQ(pacer.NextRowDue(), kStart + nanoseconds(666666667));
    EXPECT_EQ(CRowPacer(0, kStart).NextRowDue(), kStart) << "unpaced: nothing to wait for";
}

TEST(FrameClock, DeadlinesStayOnTheGridOfTheRate) {
    struct Case {
        std::int64_t milliHz;
        nanoseconds last;  // a deadline far from the start
    };
    const Case cases[] = {
        {60000, seconds(1)},
        {59940, seconds(1000)},  // NTSC's rate: frame 59940 is exactly 1000 s on, no drift
        {144000, seconds(3600)},
        {0, seconds(1)},        // unknown: 60 Hz
        {5000000, seconds(1)},  // beyond any display: 60 Hz
    };
    for (const Case& c : cases) {
        const CFrameClock clock(c.milliHz, kStart);
        EXPECT_EQ(clock.DeadlineFrom(kStart + c.last - nanoseconds(1)), kStart + c.last)
            << c.milliHz << " mHz";
        EXPECT_EQ(clock.DeadlineFrom(kStart + c.last), kStart + c.last) << "a deadline is its own next";
    }
}

TEST(FrameClock, ARowIsShownAtTheFirstFrameAfterItIsDue) {
    const CFrameClock clock(50000, kStart);  // a frame every 20 ms
    EXPECT_EQ(clock.DeadlineFrom(kStart - seconds(1)), kStart);
    EXPECT_EQ(clock.DeadlineFrom(kStart + milliseconds(1)), kStart + milliseconds(20));
    EXPECT_EQ(clock.DeadlineFrom(kStart + milliseconds(121)), kStart + milliseconds(140))
        << "missed frames pass";
    // Paced at the frame rate, each frame brings exactly one row.
    CRowPacer pacer(50, kStart);
    for (int frame = 1; frame <= 100; ++frame) {
        const PaceTime wake = clock.DeadlineFrom(pacer.NextRowDue()) + std::chrono::microseconds(200);
        ASSERT_EQ(pacer.TakeRowsDue(wake), 1) << "frame " << frame;
    }
}
