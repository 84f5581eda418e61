#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

// Small text files written in one go: the colour log and the exported notation.
// Each platform provides these.

using TextFileHandle = std::intptr_t;  // 0: not open, and every write is then a no-op

// Opens for writing without sharing: create nonzero creates or truncates, zero
// opens an existing file at its start. 0 when the file cannot be opened, among
// others when another writer holds it, or when the name is a symbolic link or
// names no regular file (a log is never written through a link someone left).
TextFileHandle OpenTextFile(const std::filesystem::path& name, int create);
// Writes the text, and CR LF when newline is nonzero, with one write.
void WriteTextLine(TextFileHandle file, std::string_view text, int newline);
void CloseTextFile(TextFileHandle file);

// Makes the text the whole of the file, or leaves the file as it was: the text goes
// to a new file beside it, which then takes its place. A file that may not be
// written is not replaced. False, with the system's reason (UTF-8), when nothing
// was written.
bool ReplaceTextFile(const std::filesystem::path& name, std::string_view text, std::string& reason);
