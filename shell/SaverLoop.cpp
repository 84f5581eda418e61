#include "shell/SaverLoop.h"

#include <algorithm>

#include "settings/Speed.h"

CSaverLoop::CSaverLoop(std::optional<int> speedForThisRun, Clock clock)
    : m_speedForThisRun(speedForThisRun), m_clock(std::move(clock)) {}

int CSaverLoop::Run(ISaverBackend& backend) {
    CSettings settings;
    m_speed = SaverSpeed(m_speedForThisRun, settings, kPacedDefaultSpeed);
    for (;;) {
        backend.Pump(m_judge);
        if (m_judge.Ended()) {
            return *m_judge.ExitStatus();
        }
        if (m_speed > 0) {
            const PaceTime now = m_clock();
            DrawDueFrames(backend, now);
            backend.WaitUntil(NextDeadline(backend, now));
        } else if (!DrawOneRowEach(backend)) {
            backend.WaitUntil(m_clock() + kLongestWait);  // nothing shown yet
        }
    }
}

void CSaverLoop::DrawDueFrames(ISaverBackend& backend, PaceTime now) {
    for (ISaverScreen* screen : backend.Screens()) {
        CSaverPicture* picture = screen->Picture();
        if (picture == nullptr) {
            continue;
        }
        const std::optional<PaceTime> frame = screen->FrameFrom(picture->NextRowDue());
        if (frame && *frame <= now && picture->DrawDue(now, m_speed)) {
            picture->Present();
        }
    }
}

PaceTime CSaverLoop::NextDeadline(ISaverBackend& backend, PaceTime now) const {
    PaceTime deadline = now + kLongestWait;
    for (ISaverScreen* screen : backend.Screens()) {
        if (CSaverPicture* picture = screen->Picture()) {
            deadline = std::min(deadline, screen->FrameFrom(picture->NextRowDue()).value_or(deadline));
        }
    }
    return deadline;
}

bool CSaverLoop::DrawOneRowEach(ISaverBackend& backend) {
    bool drew = false;
    for (ISaverScreen* screen : backend.Screens()) {
        if (CSaverPicture* picture = screen->Picture()) {
            picture->DrawRow();
            if (screen->ReadyForFrame()) {
                picture->Present();
            }
            drew = true;
        }
    }
    return drew;
}
