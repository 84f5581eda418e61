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
bool WriteNewFile(const std::wstring& path, std::string_view text, DWORD disposition) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// Whether the file has other names (hard links) besides this one.
bool HasOtherNames(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool others = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
    CloseHandle(file);
    return others;
}

// A name for a new file in the file's folder, of one length whatever the file's
// name, so that any name the system allows can be written.
std::wstring NewFileBeside(const std::filesystem::path& name) {
    wchar_t unique[16];
    swprintf(unique, 16, L"~lucenta%06lx.tmp", (GetCurrentProcessId() ^ GetTickCount()) & 0xFFFFFFUL);
    return (name.parent_path() / unique).wstring();
}

// Replaces the file whole: the text goes to a new file beside it, which takes its
// place. ReplaceFileW keeps the file's permissions and, on Windows, its attributes;
// they are set again for the systems whose ReplaceFileW does not (Wine). False with
// GetLastError() telling why; `folderRefused` when the folder takes no new file.
bool ReplaceThroughNewFile(const std::wstring& target, DWORD attributes, const std::wstring& temp,
                           std::string_view text, bool& folderRefused) {
    bool replaced = WriteNewFile(temp, text, CREATE_NEW);
    folderRefused = !replaced && GetLastError() == ERROR_ACCESS_DENIED;
    if (replaced) {
        replaced = ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                nullptr, nullptr);
    }
    const DWORD error = GetLastError();
    if (replaced) {
        SetFileAttributesW(target.c_str(), attributes);
    }
    DeleteFileW(temp.c_str());  // gone already when it took the file's place
    SetLastError(error);
    return replaced;
}

}  // namespace

// A new file is written as it is. An existing one is replaced whole through a new
// file beside it unless its folder refuses a new file or it has other names: then
// it is written in place. A read-only file and a folder refuse to be written.
bool SaveTextFile(const std::filesystem::path& name, std::string_view text, std::string& reason) {
    std::error_code ignored;
    const std::filesystem::path whole = std::filesystem::absolute(name, ignored);  // ReplaceFileW needs it
    const std::wstring target = whole.wstring();
    const DWORD attributes = GetFileAttributesW(target.c_str());
    bool written = false;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        written = WriteNewFile(target, text, CREATE_NEW);
    } else if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);  // as CreateFileW refuses to write them
    } else {
        bool inPlace = HasOtherNames(target);
        if (!inPlace) {
            written = ReplaceThroughNewFile(target, attributes, NewFileBeside(whole), text, inPlace);
        }
        if (inPlace) {
            written = WriteNewFile(target, text, TRUNCATE_EXISTING);
        }
    }
    if (!written) {
        reason = SystemErrorText(GetLastError());
    }
    return written;
}
