#pragma once

// SIGTERM and SIGINT ask the saver to end (xscreensaver ends its hacks with
// SIGTERM). The handler only sets a flag, which the frame loop reads between rows.
void InstallStopSignals();
bool StopRequested();
