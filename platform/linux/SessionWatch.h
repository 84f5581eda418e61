#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

// One idle watcher per session, the session being its runtime folder
// (XDG_RUNTIME_DIR) and its display (WAYLAND_DISPLAY, else DISPLAY): the watcher
// holds a lock on a file there that holds its process id.
class CSessionWatch {
  public:
    // Takes the session's watch, ending the watcher that holds it first and waiting
    // for it to go (a new watcher replaces the old one). nullptr, with the reason,
    // when it cannot be taken.
    static std::unique_ptr<CSessionWatch> Take(std::string& reason);
    ~CSessionWatch();
    CSessionWatch(const CSessionWatch&) = delete;
    CSessionWatch& operator=(const CSessionWatch&) = delete;

    // The process id of the watcher that this one replaced, 0 when none ran.
    pid_t Replaced() const { return m_replaced; }

  private:
    CSessionWatch(int fd, pid_t replaced) : m_fd(fd), m_replaced(replaced) {}

    int m_fd;
    pid_t m_replaced;
};
