#pragma once

#include <chrono>
#include <optional>

// What the session tells the idle watcher, in the same words from every source:
// its idle time (Wayland's idle protocols, GNOME's idle monitor, the X server),
// what holds idleness off (a playing video's inhibitor) and the session's lock.
// Holds and locks come from several places at once: each is told with its own bit.
struct IdleEvent {
    enum class Kind {
        Idle,           // no input for the time armed
        Active,         // input again
        HeldOff,        // something holds idleness off (an inhibitor)
        Released,       // ... and lets go
        Locked,         // the session is locked
        Unlocked,       // ... and unlocked
        LockRequested,  // the session is asked to lock: the saver makes way
    };
    Kind kind;
    unsigned holder = 0;  // HeldOff, Released, Locked, Unlocked: which one tells

    static IdleEvent Of(Kind kind, unsigned holder = 0) { return {kind, holder}; }
};

// Where an idle period counts from: the last input, which may have come before the
// period was armed, or now, unless input comes later.
enum class PeriodFrom { LastInput, Now };

// The idle time's source: Arm starts a period, after which it tells Idle once the
// session has had no input for `timeout` (counted as `from` says), then Active at
// the next input, then Idle again after `timeout` without input, and so on.
class IIdleTimer {
  public:
    virtual ~IIdleTimer() = default;
    virtual void Arm(std::chrono::milliseconds timeout, PeriodFrom from) = 0;
};

// The saver that the watcher starts: a child process of its own.
class ISaverChild {
  public:
    virtual ~ISaverChild() = default;
    // Starts the saver; false when it cannot be started.
    virtual bool Start() = 0;
    // Asks the running saver to end (it tells its end through SaverEnded).
    virtual void Stop() = 0;
};

// The idle watcher's decisions. After `timeout` without input (the first time,
// counted from the last input, also one before the watcher started) it starts the
// saver, unless something holds idleness off or the session is locked; input, a
// hold or a lock ends it again. One saver at a time. A saver that ends by itself
// while the session is still idle (a window took the focus) starts a new period;
// one that fails starts none: the next start waits for the next idle period.
class CIdleWatcher {
  public:
    CIdleWatcher(std::chrono::milliseconds timeout, IIdleTimer& timer, ISaverChild& saver);

    // Arms the first period.
    void Start();
    void Handle(const IdleEvent& event);
    // The saver ended: with its exit status, std::nullopt when a signal ended it.
    void SaverEnded(std::optional<int> status);
    // A signal asks the watcher to end: the saver ends with it.
    void Stop();

    bool SaverRunning() const { return m_bSaverRunning; }
    // Stopped and no saver left: the watcher may end.
    bool Finished() const { return m_bStopped && !m_bSaverRunning; }

  private:
    bool NothingHoldsOff() const { return m_held == 0 && m_locks == 0; }
    void StartSaverIfDue();
    void StopSaver();
    void Hold(unsigned& holders, unsigned holder, bool on);

    std::chrono::milliseconds m_timeout;
    IIdleTimer& m_timer;
    ISaverChild& m_saver;
    bool m_bIdle = false;
    bool m_bSaverRunning = false;
    bool m_bWaitForInput = false;  // the last saver failed: the next waits for the next idle period
    bool m_bStopAsked = false;     // the running saver was asked to end
    bool m_bStopped = false;
    unsigned m_held = 0;   // the holders of idleness
    unsigned m_locks = 0;  // those that say the session is locked
};
