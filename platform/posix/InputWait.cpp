#include "platform/posix/InputWait.h"

#include <poll.h>

#include <algorithm>

#include "platform/posix/StopSignals.h"

namespace {

short Poll(int fd, const timespec& timeout) {
    pollfd sources[2] = {{fd, POLLIN, 0}, {StopSignalFd(), POLLIN, 0}};
    ppoll(sources, StopSignalFd() >= 0 ? 2 : 1, &timeout, nullptr);
    return sources[0].revents;
}

}  // namespace

short WaitForInput(int fd, PaceTime deadline) {
    const PaceTime left = std::max(deadline - PaceNow(), PaceTime(0));
    return Poll(
        fd, {static_cast<time_t>(left.count() / 1000000000), static_cast<long>(left.count() % 1000000000)});
}

short PollForInput(int fd) {
    return Poll(fd, {0, 0});
}
