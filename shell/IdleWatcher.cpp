#include "shell/IdleWatcher.h"

CIdleWatcher::CIdleWatcher(std::chrono::milliseconds timeout, IIdleTimer& timer, ISaverChild& saver)
    : m_timeout(timeout), m_timer(timer), m_saver(saver) {}

void CIdleWatcher::Start() {
    m_timer.Arm(m_timeout, PeriodFrom::LastInput);
}

void CIdleWatcher::Handle(const IdleEvent& event) {
    using Kind = IdleEvent::Kind;
    switch (event.kind) {
        case Kind::Idle:
            m_bIdle = true;
            StartSaverIfDue();
            break;
        case Kind::Active:
            m_bIdle = false;
            m_bWaitForInput = false;
            StopSaver();
            break;
        case Kind::HeldOff:
        case Kind::Released:
            Hold(m_held, event.holder, event.kind == Kind::HeldOff);
            break;
        case Kind::Locked:
        case Kind::Unlocked:
            Hold(m_locks, event.holder, event.kind == Kind::Locked);
            break;
        case Kind::LockRequested:
            StopSaver();
            break;
    }
}

// A hold or a lock ends the saver; when the last one goes while the session is
// idle, a new period starts: the saver comes the full time after it.
void CIdleWatcher::Hold(unsigned& holders, unsigned holder, bool on) {
    const bool wasFree = NothingHoldsOff();
    holders = on ? holders | holder : holders & ~holder;
    if (on) {
        StopSaver();
    } else if (!wasFree && NothingHoldsOff() && m_bIdle && !m_bStopped) {
        m_timer.Arm(m_timeout, PeriodFrom::Now);
    }
}

// A saver that was asked to end may end as it can (a signal before it took it):
// only one that ends by itself with a failure is a failure.
void CIdleWatcher::SaverEnded(std::optional<int> status) {
    const bool failed = status != 0 && !m_bStopAsked;
    m_bSaverRunning = false;
    m_bStopAsked = false;
    if (failed) {
        m_bWaitForInput = true;
    } else if (m_bIdle && NothingHoldsOff() && !m_bStopped) {
        m_timer.Arm(m_timeout, PeriodFrom::Now);
    }
}

void CIdleWatcher::Stop() {
    m_bStopped = true;
    StopSaver();
}

void CIdleWatcher::StartSaverIfDue() {
    if (m_bIdle && NothingHoldsOff() && !m_bSaverRunning && !m_bWaitForInput && !m_bStopped) {
        m_bSaverRunning = m_saver.Start();
        m_bWaitForInput = !m_bSaverRunning;
    }
}

void CIdleWatcher::StopSaver() {
    if (m_bSaverRunning) {
        m_bStopAsked = true;
        m_saver.Stop();
    }
}
