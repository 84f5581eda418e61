#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/RegistryKey.h"

// The registry export format ("Windows Registry Editor Version 5.00") that the
// Linux settings file is kept in, so that people can read, edit and import it.

struct RegFileKey {
    std::u16string path;  // "HKEY_CURRENT_USER\Software\..."
    std::vector<RegValue> values;

    // Replaces the value of that name (letter case ignored) or appends it.
    void SetValue(RegValue value);
    const RegValue* FindValue(std::u16string_view name) const;  // letter case ignored
    void RemoveValue(std::u16string_view name);
};

struct RegFile {
    std::vector<RegFileKey> keys;

    RegFileKey* FindKey(std::u16string_view path);  // letter case ignored
    RegFileKey& GetKey(std::u16string_view path);   // appended when missing
};

// Reads a file as written by FormatRegFile or by the registry editor, in the
// encodings and with the line ends that DecodeLines reads. std::nullopt when the
// text is not such a file. With `droppedLines`, a line that cannot be read (a bad
// byte, bad syntax; with the values after a key line that cannot be read) is left
// out and its 1-based number recorded, and only a text that is not a registry
// file at all (its header) gives std::nullopt.
std::optional<RegFile> ParseRegFile(const std::string& bytes,
                                    std::vector<std::size_t>* droppedLines = nullptr);

// UTF-8, LF line ends. Text values that a quoted string cannot carry (line
// breaks, embedded terminators, odd sizes) are written as hex(1).
std::string FormatRegFile(const RegFile& file);

// True when a value name can be written to the file at all (no line breaks).
bool IsWritableName(std::u16string_view name);
