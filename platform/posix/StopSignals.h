#pragma once

// SIGTERM, SIGINT and SIGHUP ask the saver to end (xscreensaver ends its hacks
// with SIGTERM); SIGPIPE is ignored. Installed first thing in main, so that a signal at any time ends the
// program in order with status 0.
//
// The handler sets a flag and makes StopSignalFd() readable, so a wait that polls
// it together with the display's connection returns at once. It also arms a
// watchdog: a program that is still there a second later (blocked on a display
// server that does not answer) ends at once with status 0.
void InstallStopSignals();
bool StopRequested();
int StopSignalFd();
