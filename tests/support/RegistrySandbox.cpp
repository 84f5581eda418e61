#include "tests/support/RegistrySandbox.h"

#ifdef _WIN32
#include <windows.h>

namespace {
constexpr wchar_t kScratchRoot[] = L"Software\\Tovarin\\LucentaTests";
constexpr wchar_t kProgramKeys[] = L"Software\\Tovarin\\LucentaScr";

void Clear() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kScratchRoot);
    RegDeleteTreeW(HKEY_CURRENT_USER, kProgramKeys);
}
}  // namespace

RegistrySandbox::RegistrySandbox() {
    Clear();
}
RegistrySandbox::~RegistrySandbox() {
    Clear();
}

std::u16string RegistrySandbox::ScratchKey(const std::u16string& leaf) const {
    return std::u16string(reinterpret_cast<const char16_t*>(kScratchRoot)) + u"\\" + leaf;
}

#else
#include <cstdlib>
#include <filesystem>

RegistrySandbox::RegistrySandbox() {
    char pattern[] = "/tmp/lucenta-test-XXXXXX";
    m_configHome = mkdtemp(pattern);
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) {
        m_hadXdg = true;
        m_previousXdg = xdg;
    }
    setenv("XDG_CONFIG_HOME", m_configHome.c_str(), 1);
}

RegistrySandbox::~RegistrySandbox() {
    if (m_hadXdg) {
        setenv("XDG_CONFIG_HOME", m_previousXdg.c_str(), 1);
    } else {
        unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_configHome, ignored);
}

std::u16string RegistrySandbox::ScratchKey(const std::u16string& leaf) const {
    return u"Software\\Tovarin\\LucentaTests\\" + leaf;
}
#endif
