#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

// One idle watcher per session. The watcher holds a lock on a file in the user's
// runtime folder named after the session's display (CSessionDisplay::Key). Whoever
// changes the session's watcher (a new watcher, or lucenta --idle off) first takes
// a second lock on the same file, so that changes come one at a time and each finds
// the watcher that holds the session at that moment. The kernel tells which process
// holds a lock: no process id is written down, none is read stale.
class CSessionLock {
  public:
    // Begins a change of the session's watcher, once any other change has ended;
    // nullptr, with the reason, when it cannot.
    static std::unique_ptr<CSessionLock> BeginChange(const std::string& sessionKey, std::string& reason);
    // Lets go of the lock and of the change.
    ~CSessionLock();
    CSessionLock(const CSessionLock&) = delete;
    CSessionLock& operator=(const CSessionLock&) = delete;

    // Ends the watcher that holds the session (SIGTERM) and waits until it has gone.
    // `ended` is its process id, 0 when none ran; false, with the reason, when it
    // does not end.
    bool EndHolder(pid_t& ended, std::string& reason);
    // lucenta --idle off notes when it started: a watcher started before it, which
    // comes to change the session after it (OffCameLater), does not start.
    void MarkOff();
    bool OffCameLater() const;
    // Takes the session for this process, which holds it until it ends, and ends the
    // change; false, with the reason, when it cannot.
    bool Take(std::string& reason);

  private:
    explicit CSessionLock(int fd) : m_fd(fd) {}
    pid_t Holder() const;

    int m_fd;
};
