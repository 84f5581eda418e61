#include "colour/TextFile.h"

#include <windows.h>

#include <string>

// CreateFileW takes the wide path as it is: long paths and names outside the
// ANSI code page work.

TextFileHandle OpenTextFile(const std::filesystem::path& name, int create) {
    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, create != 0 ? CREATE_ALWAYS : OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? 0 : reinterpret_cast<TextFileHandle>(file);
}

void WriteTextLine(TextFileHandle file, std::string_view text, int newline) {
    if (file == 0) {
        return;
    }
    std::string line(text);
    if (newline != 0) {
        line += "\r\n";
    }
    DWORD written = 0;
    WriteFile(reinterpret_cast<HANDLE>(file), line.data(), static_cast<DWORD>(line.size()), &written,
              nullptr);
}

void CloseTextFile(TextFileHandle file) {
    if (file != 0) {
        CloseHandle(reinterpret_cast<HANDLE>(file));
    }
}
