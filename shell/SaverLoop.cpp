#include "shell/SaverLoop.h"

#include <algorithm>

CSaverLoop::CSaverLoop(RunChoices choices, std::function<bool()> stopRequested, Clock clock)
    : m_choices(std::move(choices)), m_stopRequested(std::move(stopRequested)), m_clock(std::move(clock)) {}

int CSaverLoop::Run(ISaverBackend& backend) {
    for (;;) {
        std::vector<SaverEvent> events;
        backend.Pump(events);
        if (m_stopRequested()) {
            events.push_back(SaverEvent::Of(SaverEvent::Kind::Signal));
        }
        for (const SaverEvent& event : events) {
            m_judge.Judge(event);
        }
        if (m_judge.Ended()) {
            return *m_judge.ExitStatus();
        }
        FollowScreens(backend);
        if (CRowPacer::Paces(m_choices.speed)) {
            const PaceTime now = m_clock();
            DrawDueFrames(now);
            backend.WaitUntil(NextDeadline(now));
        } else if (!DrawOneRowEach()) {
            backend.WaitUntil(m_clock() + kLongestSleep);  // nothing shown yet
        }
    }
}

void CSaverLoop::FollowScreens(ISaverBackend& backend) {
    std::vector<Shown> shown;
    for (ISaverScreen* screen : backend.Screens()) {
        const ScreenShape shape = screen->Shape();
        if (shape.surface == nullptr) {
            continue;
        }
        const auto known = std::find_if(m_shown.begin(), m_shown.end(),
                                        [screen](const Shown& entry) { return entry.screen == screen; });
        Shown entry =
            known != m_shown.end()
                ? std::move(*known)
                : Shown{screen, std::make_unique<CSaverPicture>(m_choices.overrides, m_choices.speed), 0};
        if (entry.generation != shape.generation) {
            entry.picture->StartOn(*shape.surface, shape.width, shape.height, shape.refreshMilliHz);
            entry.generation = shape.generation;
        }
        shown.push_back(std::move(entry));
    }
    m_shown = std::move(shown);
}

void CSaverLoop::DrawDueFrames(PaceTime now) {
    for (const Shown& entry : m_shown) {
        const std::optional<PaceTime> frame = entry.screen->FrameFrom(entry.picture->NextRowDue());
        if (frame && *frame <= now && entry.picture->DrawDue(now)) {
            entry.picture->Present();
        }
    }
}

PaceTime CSaverLoop::NextDeadline(PaceTime now) const {
    PaceTime deadline = now + kLongestSleep;
    for (const Shown& entry : m_shown) {
        deadline =
            std::min(deadline, entry.screen->FrameFrom(entry.picture->NextRowDue()).value_or(deadline));
    }
    return deadline;
}

bool CSaverLoop::DrawOneRowEach() {
    for (const Shown& entry : m_shown) {
        entry.picture->DrawRow();
        if (entry.screen->FrameFrom(PaceTime(0))) {
            entry.picture->Present();
        }
    }
    return !m_shown.empty();
}
