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

// The programs resource of xscreensaver's defaults (the text of its app-defaults
// file, where it is "*programs:") as the text of a ~/.xscreensaver that holds it
// alone; std::nullopt when the defaults have none.
std::optional<std::string> ProgramsOfDefaults(const std::string& appDefaults);

// Adds `command` to home/.xscreensaver, keeping the previous file as
// home/.xscreensaver.bak and replacing the file atomically. Without such a file,
// one is written with xscreensaver's own list of hacks (from its app-defaults
// file, `appDefaults`) and the command, and nothing else, so that every other
// preference keeps xscreensaver's default; without xscreensaver's defaults
// nothing is written. Tells the user on `out` what was done or what to do.
void InstallInXscreensaver(const std::string& home, const std::string& command,
                           const std::string& appDefaults, std::ostream& out);
