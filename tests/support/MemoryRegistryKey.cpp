#include "tests/support/MemoryRegistryKey.h"

RegValue RawValue(const std::u16string& name, std::uint32_t type, const std::u16string& units) {
    RegValue value{name, type, {}};
    for (char16_t u : units) {
        value.data.push_back(static_cast<std::uint8_t>(u & 0xFF));
        value.data.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return value;
}

RegValue SzValue(const std::u16string& name, const std::u16string& text) {
    return RawValue(name, RegType::Sz, text + u'\0');
}

RegValue DwordValue(const std::u16string& name, std::uint32_t value) {
    return {name,
            RegType::Dword,
            {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
             static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)}};
}

std::u16string TextOf(const RegValue& value) {
    std::u16string units;
    for (std::size_t k = 0; k + 1 < value.data.size(); k += 2) {
        units += static_cast<char16_t>(value.data[k] | value.data[k + 1] << 8);
    }
    return units;
}
