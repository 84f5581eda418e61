#include "platform/posix/StopSignals.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;
volatile std::sig_atomic_t g_patienceSeconds = 1;
volatile std::sig_atomic_t g_child = 0;
int g_pipe[2] = {-1, -1};

// Only what is safe in a signal handler.
extern "C" void OnWatchdog(int) {
    const pid_t child = g_child;
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    _exit(0);
}

extern "C" void OnStopSignal(int) {
    if (g_stopRequested == 0) {
        g_stopRequested = 1;
        alarm(static_cast<unsigned>(g_patienceSeconds));
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    }
}

void Handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a wait returns at once
    sigaction(signal, &action, nullptr);
}

}  // namespace

void InstallStopSignals() {
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;  // the flag still works; waits then end within their slice
    }
    Handle(SIGALRM, OnWatchdog);
    Handle(SIGTERM, OnStopSignal);
    Handle(SIGINT, OnStopSignal);
    Handle(SIGHUP, OnStopSignal);   // the terminal or session that started it went away
    std::signal(SIGPIPE, SIG_IGN);  // a reader that went away fails a write, never ends the saver
}

void SetStopPatience(std::chrono::seconds patience) {
    g_patienceSeconds = static_cast<std::sig_atomic_t>(patience.count());
}

void EndBeforeProgram(pid_t child) {
    g_child = child;
}

bool StopRequested() {
    return g_stopRequested != 0;
}

int StopSignalFd() {
    return g_pipe[0];
}
