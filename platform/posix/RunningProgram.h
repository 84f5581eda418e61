#pragma once

#include <string>

// The path of the running program, as the system knows it when asked (read at
// start-up: after the program's file is replaced, as a package upgrade does,
// the path names the new one).
std::string RunningProgramPath();

// Another program of Lucenta: the one named `name` beside this one (as they lie in
// the build tree), else the one of that name in `installedFolder`, relative to this
// one's folder (as they are installed: lucenta in bin/, lucenta-settings in
// libexec/lucenta/).
std::string SiblingProgram(const std::string& name, const std::string& installedFolder);
