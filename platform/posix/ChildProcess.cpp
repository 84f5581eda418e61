#include "platform/posix/ChildProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/StopSignals.h"

extern char** environ;

CChildProcess::~CChildProcess() {
    if (m_pid < 0) {
        return;
    }
    Stop();
    pollfd ended{m_fd, POLLIN, 0};
    if (poll(&ended, 1, PatienceLeft()) <= 0) {
        kill(m_pid, SIGKILL);
    }
    Reap();
}

bool CChildProcess::Start() {
    std::vector<char*> argv{m_path.data()};
    for (std::string& argument : m_arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // the watcher ignores it; the saver chooses for itself
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    const int failed = posix_spawn(&m_pid, m_path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) {
        std::fprintf(stderr, "lucenta: cannot start the saver %s: %s\n", m_path.c_str(),
                     std::strerror(failed));
        m_pid = -1;
        return false;
    }
    m_fd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0));  // glibc 2.36 declares it for C only
    if (m_fd < 0) {
        std::fprintf(stderr, "lucenta: cannot watch the saver: %s\n", std::strerror(errno));
        kill(m_pid, SIGKILL);
        Reap();
        return false;
    }
    EndBeforeProgram(m_pid);
    return true;
}

void CChildProcess::Stop() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        m_killAt = m_killAt.value_or(std::chrono::steady_clock::now() + kChildEndPatience);
    }
}

int CChildProcess::PatienceLeft() const {
    if (!m_killAt) {
        return -1;
    }
    const auto left = *m_killAt - std::chrono::steady_clock::now();
    return static_cast<int>(
        std::max<std::int64_t>(std::chrono::ceil<std::chrono::milliseconds>(left).count(), 0));
}

void CChildProcess::KillWhenOverdue() {
    if (m_pid > 0 && PatienceLeft() == 0) {
        kill(m_pid, SIGKILL);
    }
}

std::optional<int> CChildProcess::Reap() {
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (m_fd >= 0) {
        close(m_fd);
    }
    EndBeforeProgram(0);
    m_pid = -1;
    m_fd = -1;
    m_killAt.reset();
    return WIFEXITED(status) ? std::optional<int>(WEXITSTATUS(status)) : std::nullopt;
}
