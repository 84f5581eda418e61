// The value store's key on the real Win32 registry.
#include <windows.h>

#include <vector>

#include "platform/win32/SystemErrorText.h"
#include "platform/win32/WideText.h"
#include "settings/RegistryKey.h"

namespace {

class Win32RegistryKey : public IRegistryKey {
  public:
    explicit Win32RegistryKey(HKEY hKey) : m_hKey(hKey) {}
    ~Win32RegistryKey() override { RegCloseKey(m_hKey); }

    bool CountValues(std::uint32_t& count) override {
        DWORD values = 0;
        const LONG result = RegQueryInfoKeyW(m_hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                             &values, nullptr, nullptr, nullptr, nullptr);
        count = values;
        return result == ERROR_SUCCESS;
    }

    bool EnumValue(std::uint32_t index, std::size_t nameCapacity, std::size_t dataCapacity,
                   RegValue& value) override {
        std::vector<wchar_t> name(nameCapacity);
        value.data.assign(dataCapacity, 0);
        DWORD nameLength = static_cast<DWORD>(nameCapacity);
        DWORD dataLength = static_cast<DWORD>(dataCapacity);
        DWORD type = 0;
        if (RegEnumValueW(m_hKey, index, name.data(), &nameLength, nullptr, &type, value.data.data(),
                          &dataLength) != ERROR_SUCCESS) {
            return false;
        }
        value.name.assign(reinterpret_cast<const char16_t*>(name.data()), nameLength);
        value.type = type;
        value.data.resize(dataLength);
        return true;
    }

    bool SetValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data, std::size_t size,
                  std::string& reason) override {
        const LONG result = RegSetValueExW(m_hKey, AsWide(name), 0, type, data, static_cast<DWORD>(size));
        reason = result == ERROR_SUCCESS ? "" : SystemErrorText(static_cast<DWORD>(result));
        return result == ERROR_SUCCESS;
    }

    // The registry has no conditional write: the look comes just before the write.
    bool SetValueIfMissing(const RegValue& value, RegValue& held, std::string& reason) override {
        DWORD type = 0;
        DWORD size = 0;
        LONG result = RegQueryValueExW(m_hKey, AsWide(value.name), nullptr, &type, nullptr, &size);
        if (result == ERROR_SUCCESS) {
            held = {value.name, type, std::vector<std::uint8_t>(size)};
            result = RegQueryValueExW(m_hKey, AsWide(value.name), nullptr, &type, held.data.data(), &size);
            held.data.resize(size);
            held.type = type;
        } else if (result == ERROR_FILE_NOT_FOUND) {
            held = value;
            return SetValue(value.name, value.type, value.data.data(), value.data.size(), reason);
        }
        reason = result == ERROR_SUCCESS ? "" : SystemErrorText(static_cast<DWORD>(result));
        return result == ERROR_SUCCESS;
    }

  private:
    HKEY m_hKey;
};

HKEY RootHandle(RegRoot root) {
    switch (root) {
        case RegRoot::CurrentUser:
            return HKEY_CURRENT_USER;
    }
    return HKEY_CURRENT_USER;
}

}  // namespace

std::unique_ptr<IRegistryKey> CreateRegistryKey(RegRoot root, const std::u16string& path,
                                                std::uint32_t access, std::string& reason) {
    HKEY hKey = nullptr;
    const LONG result = RegCreateKeyExW(RootHandle(root), AsWide(path), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        access, nullptr, &hKey, nullptr);
    if (result != ERROR_SUCCESS) {
        reason = SystemErrorText(static_cast<DWORD>(result));
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(hKey);
}
