#pragma once

#include <sys/types.h>

#include <chrono>

// SIGTERM, SIGINT and SIGHUP ask the program to end (xscreensaver ends its hacks
// with SIGTERM); SIGPIPE is ignored. Installed first thing in main, so that a signal
// at any time ends the program in order with status 0.
//
// The handler sets a flag and makes StopSignalFd() readable, so a wait that polls
// it together with the display's connection returns at once. It also arms a
// watchdog: a program that is still there `patience` later (blocked on a display
// server that does not answer) ends at once with status 0, after killing and
// reaping the child that it would otherwise leave behind.
void InstallStopSignals();
// The saver ends quickly; the idle watcher first ends its saver, which takes longer.
void SetStopPatience(std::chrono::seconds patience);
// The child process that the watchdog ends before the program; 0 for none.
void EndBeforeProgram(pid_t child);
bool StopRequested();
int StopSignalFd();
