#include "shell/FramePacing.h"

#include <algorithm>

namespace {

constexpr std::int64_t kNanosPerSecond = 1000000000;
// A rate in millihertz is a count of frames per 1000 s.
constexpr std::int64_t kNanosPer1000Seconds = 1000 * kNanosPerSecond;

// ceil(a / b) for a >= 0, b > 0.
std::int64_t DivideUp(std::int64_t a, std::int64_t b) {
    return (a + b - 1) / b;
}

}  // namespace

// Whole seconds and the rest are scaled apart, so that no product overflows
// however long the saver runs.
std::int64_t CRowPacer::RowsBy(PaceTime t) const {
    const std::int64_t elapsed = std::max<std::int64_t>((t - m_start).count(), 0);
    return elapsed / kNanosPerSecond * m_speed + elapsed % kNanosPerSecond * m_speed / kNanosPerSecond;
}

PaceTime CRowPacer::DueTimeOf(std::int64_t row) const {
    return m_start +
           PaceTime(row / m_speed * kNanosPerSecond + DivideUp(row % m_speed * kNanosPerSecond, m_speed));
}

CRowPacer CRowPacer::FromFirstFrame(int speed, PaceTime lead) {
    CRowPacer pacer(speed, PaceTime(0));
    pacer.m_lead = lead;
    return pacer;
}

std::int64_t CRowPacer::TakeRowsDue(PaceTime now, std::int64_t unpaced) {
    if (m_lead) {
        m_start = now - *m_lead;
        m_lead.reset();
    }
    if (!Paced()) {
        return unpaced;
    }
    if (now - DueTimeOf(m_taken + 1) > kMaxLag) {
        // Start over so that one row is due now.
        m_start = now - PaceTime(DivideUp(kNanosPerSecond, m_speed));
        m_taken = 0;
    }
    const std::int64_t due = RowsBy(now) - m_taken;
    m_taken += due;
    return due;
}

PaceTime CRowPacer::NextRowDue() const {
    if (m_lead) {
        return PaceTime(0);
    }
    return Paced() ? DueTimeOf(m_taken + 1) : m_start;
}

CFrameClock::CFrameClock(std::int64_t refreshMilliHz, PaceTime start)
    : m_milliHz(refreshMilliHz >= 1000 && refreshMilliHz <= 1000000 ? refreshMilliHz
                                                                    : kDefaultRefreshMilliHz),
      m_start(start) {}

PaceTime CFrameClock::DeadlineOf(std::int64_t frame) const {
    const std::int64_t thousands = frame / m_milliHz;  // whole spans of 1000 s
    const std::int64_t rest = frame % m_milliHz;
    return m_start +
           PaceTime(thousands * kNanosPer1000Seconds + DivideUp(rest * kNanosPer1000Seconds, m_milliHz));
}

PaceTime CFrameClock::Period() const {
    return PaceTime(kNanosPer1000Seconds / m_milliHz);
}

PaceTime CFrameClock::DeadlineFrom(PaceTime t) const {
    const std::int64_t elapsed = std::max<std::int64_t>((t - m_start).count(), 0);
    std::int64_t frame = elapsed / kNanosPer1000Seconds * m_milliHz +
                         elapsed % kNanosPer1000Seconds * m_milliHz / kNanosPer1000Seconds;
    while (DeadlineOf(frame) < t) {
        ++frame;
    }
    return DeadlineOf(frame);
}
