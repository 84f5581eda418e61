#pragma once

#include <optional>
#include <string>

// What every Lucenta program does with its command line's --help and --version,
// and with a command line it cannot take. `usage` is the program's usage: its
// first line the synopsis ("usage: lucenta-render --width W ..."), then a line for
// each option.

// --help or --version alone: the usage, or the program's name and version, on
// standard output, and the exit status (0, or 1 when the output cannot be
// written); std::nullopt for any other command line.
std::optional<int> AnswerHelpOrVersion(int argc, const char* const* argv, const char* program,
                                       const std::string& usage);

// A line of a usage: an option's words in a column of their own, its text beside them
// in lines that a terminal of 100 columns shows whole.
std::string OptionLine(const std::string& words, const std::string& text);

// A missing or wrong argument: a line that names the program and says what is
// wrong, then the usage's synopsis, on standard error; the exit status, 2.
int RefuseArguments(const char* program, const std::string& error, const std::string& usage);
