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

// Writes the text as the whole of a file that the user chose, as careful editors
// do: through a new file beside it that takes its place where that leaves the file
// as it was (its attributes, owner, permissions, links), else in place. A file that
// may not be written is not. False, with the system's reason (UTF-8), when the
// file could not be written.
bool SaveTextFile(const std::filesystem::path& name, std::string_view text, std::string& reason);
