#pragma once

#include "shell/FramePacing.h"

// The one wait of the Linux saver: sleeps until `fd` (a display's connection) has
// something to read, a stop signal comes (see StopSignals.h) or `deadline` passes.
// Returns the poll events of `fd` (POLLIN, POLLHUP, POLLERR; 0 when none).
short WaitForInput(int fd, PaceTime deadline);
// The same without waiting and without a look at the clock.
short PollForInput(int fd);
