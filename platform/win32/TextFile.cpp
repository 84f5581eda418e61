#include "colour/TextFile.h"

#include <windows.h>

#include <string>

#include "platform/win32/SystemErrorText.h"

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

namespace {

// Writes the whole text to a new file; false with GetLastError() telling why.
bool WriteNewFile(const std::wstring& path, std::string_view text) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size() && FlushFileBuffers(file);
    const DWORD error = GetLastError();
    ok = CloseHandle(file) && ok;
    SetLastError(ok ? ERROR_SUCCESS : error);
    return ok;
}

}  // namespace

// A read-only file refuses to be replaced, as it refuses to be written.
bool ReplaceTextFile(const std::filesystem::path& name, std::string_view text, std::string& reason) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        reason = SystemErrorText(ERROR_ACCESS_DENIED);
        return false;
    }
    const std::wstring temp = name.wstring() + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64()) + L".tmp";
    if (WriteNewFile(temp, text) &&
        MoveFileExW(temp.c_str(), name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    const DWORD error = GetLastError();
    DeleteFileW(temp.c_str());
    reason = SystemErrorText(error);
    return false;
}
