#pragma once

#include <string>

// Gives a test a registry of its own: on Linux a fresh settings directory
// (XDG_CONFIG_HOME), on Windows a scratch key path and the program's own keys
// cleared before and after.
class RegistrySandbox {
  public:
    RegistrySandbox();
    ~RegistrySandbox();
    RegistrySandbox(const RegistrySandbox&) = delete;
    RegistrySandbox& operator=(const RegistrySandbox&) = delete;

    // A key path under HKEY_CURRENT_USER that no other test uses.
    std::u16string ScratchKey(const std::u16string& leaf) const;
#ifndef _WIN32
    const std::string& ConfigHome() const {
        return m_configHome;
    }
    std::string RegistryFilePath() const {
        return m_configHome + "/lucenta/registry.reg";
    }

  private:
    std::string m_configHome;
    std::string m_previousXdg;
    bool m_hadXdg = false;
#endif
};
