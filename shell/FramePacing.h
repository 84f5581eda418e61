#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

// When a paced picture draws its rows, and when the display shows its frames.
// Both are pure arithmetic on times from any steady clock, in nanoseconds; the
// platform only sleeps to the next deadline and wakes at once for input.
using PaceTime = std::chrono::nanoseconds;

// Now on the steady clock that the pacing uses.
inline PaceTime PaceNow() {
    return std::chrono::duration_cast<PaceTime>(std::chrono::steady_clock::now().time_since_epoch());
}

// Rows at `speed` rows per second from the start: by time t, floor(speed * (t -
// start)) rows are due. A speed of 0 is as fast as it draws: each call makes rows
// due at once, one for a loop that draws a row at a time (the saver), a picture's
// worth for one that can draw only at the frames of a toolkit's clock (a preview).
// Every picture of the program paces its rows with one of these, started at the
// picture's first frame (FromFirstFrame).
class CRowPacer {
  public:
    // A stall longer than this (a suspended machine, a stopped process) is not
    // caught up: the rows it would bring are skipped, so the picture never races.
    static constexpr PaceTime kMaxLag = std::chrono::milliseconds(250);

    CRowPacer(int speed, PaceTime start) : m_speed(speed), m_start(start) {}
    // Started by the first TakeRowsDue, at its `now` less `lead`; till then, the
    // next row is due at once.
    static CRowPacer FromFirstFrame(int speed, PaceTime lead = PaceTime(0));

    // Whether a speed paces the rows, or lets them come as fast as they are drawn.
    static bool Paces(int speed) { return speed > 0; }
    bool Paced() const { return Paces(m_speed); }
    // The rows due by `now` and not taken yet; they count as drawn from here on.
    // Unpaced, `unpaced` rows.
    std::int64_t TakeRowsDue(PaceTime now, std::int64_t unpaced = 1);
    // When the next row falls due (for an unpaced picture: at once).
    PaceTime NextRowDue() const;

  private:
    std::int64_t RowsBy(PaceTime t) const;
    PaceTime DueTimeOf(std::int64_t row) const;

    int m_speed;
    PaceTime m_start;
    std::int64_t m_taken = 0;
    std::optional<PaceTime> m_lead;  // not started yet: started this long before the first frame
};

// The display's frame deadlines at a refresh rate in millihertz: frame n at
// start + n / rate, each computed from the start, so the rate never drifts.
class CFrameClock {
  public:
    static constexpr std::int64_t kDefaultRefreshMilliHz = 60000;

    // A rate outside 1 Hz .. 1000 Hz (an unknown one reads as 0) is taken as 60 Hz.
    CFrameClock(std::int64_t refreshMilliHz, PaceTime start);

    // The first frame deadline at or after `t`: a frame missed is not made up.
    PaceTime DeadlineFrom(PaceTime t) const;
    // The time from one frame to the next (rounded down to the nanosecond).
    PaceTime Period() const;

  private:
    PaceTime DeadlineOf(std::int64_t frame) const;

    std::int64_t m_milliHz;
    PaceTime m_start;
};
