#pragma once

#include <string>

// wchar_t is UTF-16 on Windows: the portable char16_t text passes through as it is.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

inline const wchar_t* AsWide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
