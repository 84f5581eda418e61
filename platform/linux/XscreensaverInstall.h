#pragma once

#include <optional>
#include <ostream>
#include <string>

// Install mode: adds Lucenta to the hacks of the current user's xscreensaver.
//
// ~/.xscreensaver holds X resources, one to a line; a line ending in a backslash
// goes on in the next. The value of "programs:" lists the hacks, one entry to a
// line, each ended by the two characters "\n": an optional "-" (disabled), an
// optional visual ("GL:"), an optional "quoted label", then the command.

// The text with an entry for `command` appended to the programs resource (one is
// made when the file has none), every other line kept byte for byte;
// std::nullopt when an entry for lucenta is there already.
std::optional<std::string> AddProgramEntry(const std::string& text, const std::string& command);

// The command xscreensaver is to run: "lucenta -s" when the running executable is
// the one in xscreensaver's hack directory, else its absolute path with "-s".
std::string SaverCommand(const std::string& executable, const std::string& hackDirectory);

// Adds `command` to home/.xscreensaver, keeping the previous file as
// home/.xscreensaver.bak and replacing the file atomically; without such a file,
// nothing is created. Tells the user on `out` what was done or what to do.
void InstallInXscreensaver(const std::string& home, const std::string& command, std::ostream& out);
