#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "shell/IdleWatcher.h"

// How long a child asked to end may take before it is made to.
inline constexpr std::chrono::seconds kChildEndPatience(3);

// The saver as a child process of the idle watcher: the program at `path` with
// `arguments`, started with its standard descriptors and no other (the
// watcher's connections and locks stay its own), and watched through a process
// descriptor, so that the watcher's poll wakes when it ends.
class CChildProcess : public ISaverChild {
  public:
    CChildProcess(std::string path, std::vector<std::string> arguments)
        : m_path(std::move(path)), m_arguments(std::move(arguments)) {}
    // A child still running is asked to end, then made to, and reaped.
    ~CChildProcess() override;
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // False, with a line on stderr, when it cannot be started.
    bool Start() override;
    // SIGTERM; SIGKILL once it has had its patience (KillWhenOverdue).
    void Stop() override;
    // The descriptor that is readable once the child has ended; -1 while none runs.
    int Fd() const { return m_fd; }
    // The milliseconds left of the patience of a child asked to end; -1 when none was asked.
    int PatienceLeft() const;
    // SIGKILL for a child whose patience has run out.
    void KillWhenOverdue();
    // Reaps the child that has ended: its exit status, std::nullopt when a signal ended it.
    std::optional<int> Reap();

  private:
    std::string m_path;
    std::vector<std::string> m_arguments;
    pid_t m_pid = -1;
    int m_fd = -1;
    std::optional<std::chrono::steady_clock::time_point> m_killAt;  // asked to end: made to at this time
};
