#pragma once

#include <string>

// The path of the running program, as the system knows it when asked (read at
// start-up: after the program's file is replaced, as a package upgrade does,
// the path names the new one).
std::string RunningProgramPath();
