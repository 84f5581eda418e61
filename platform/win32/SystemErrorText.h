#pragma once

#include <windows.h>

#include <string>

// The system's text for an error code (GetLastError, a registry result), in
// UTF-8 for the portable code, without its closing line end.
std::string SystemErrorText(DWORD error);

// UTF-8 <-> the wide text of the Win32 interfaces.
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
