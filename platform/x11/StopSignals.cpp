#include "platform/x11/StopSignals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t g_stopRequested = 0;

extern "C" void OnStopSignal(int) {
    g_stopRequested = 1;
}

}  // namespace

void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: a wait for the X connection returns at once
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool StopRequested() {
    return g_stopRequested != 0;
}
