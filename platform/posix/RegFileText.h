#pragma once

#include <optional>
#include <string>
#include <vector>

// The text of a registry export as lines: UTF-8 with or without a byte order mark,
// or UTF-16LE with one; CR, LF or CR LF ends a line. A line that cannot be decoded
// (a byte that is not UTF-8, a UTF-16 text cut short) is std::nullopt, and only it:
// one bad byte costs one line.
std::vector<std::optional<std::u16string>> DecodeLines(const std::string& bytes);
