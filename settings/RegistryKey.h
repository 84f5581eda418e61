#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The seam between the value store and a platform's registry: one open key.

enum class RegRoot { CurrentUser };

namespace RegAccess {
constexpr std::uint32_t QueryValue = 0x1;
constexpr std::uint32_t SetValue = 0x2;
constexpr std::uint32_t CreateSubKey = 0x4;
}  // namespace RegAccess

namespace RegType {
constexpr std::uint32_t Untyped = 0;  // REG_NONE; not "None", which Xlib defines as a macro
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t MultiSz = 7;
}  // namespace RegType

struct RegValue {
    std::u16string name;
    std::uint32_t type = RegType::Untyped;
    std::vector<std::uint8_t> data;
};

class IRegistryKey {
  public:
    virtual ~IRegistryKey() = default;  // closes the key

    // The number of values the key holds; false when it cannot be queried.
    virtual bool CountValues(std::uint32_t& count) = 0;
    // The value at `index`; false when it cannot be read, among others when its name
    // needs more than nameCapacity characters with the terminator or its data more
    // than dataCapacity bytes.
    virtual bool EnumValue(std::uint32_t index, std::size_t nameCapacity, std::size_t dataCapacity,
                           RegValue& value) = 0;
    // Writes one value; false, with the system's reason (UTF-8), when it cannot.
    virtual bool SetValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data,
                          std::size_t size, std::string& reason) = 0;
    // Writes the value only when the key holds none of that name, the look and the
    // write one step that no other writer comes between (as near as the platform
    // allows). `held` gets the value that the key holds afterwards: the one written,
    // or the one found. False, with the system's reason, when it cannot be done.
    virtual bool SetValueIfMissing(const RegValue& value, RegValue& held, std::string& reason) = 0;
};

// Creates (when missing) and opens root\path with the access asked for; nullptr,
// with the system's reason (UTF-8), when the key can be neither opened nor
// created. Provided by each platform.
std::unique_ptr<IRegistryKey> CreateRegistryKey(RegRoot root, const std::u16string& path,
                                                std::uint32_t access, std::string& reason);
