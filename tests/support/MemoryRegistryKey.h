#pragma once

#include <memory>
#include <vector>

#include "settings/RegistryKey.h"

// A key held in memory with the limits of the real enumeration, recording every
// write; the values are shared so a test can look at them after the store took
// the key.
struct MemoryKeyData {
    std::vector<RegValue> values;
    std::vector<RegValue> writes;
    std::string refusal;  // when set, every write fails with this reason
};

class MemoryRegistryKey : public IRegistryKey {
  public:
    explicit MemoryRegistryKey(std::shared_ptr<MemoryKeyData> data) : m_data(std::move(data)) {}

    bool CountValues(std::uint32_t& count) override {
        count = static_cast<std::uint32_t>(m_data->values.size());
        return true;
    }
    bool EnumValue(std::uint32_t index, std::size_t nameCapacity, std::size_t dataCapacity,
                   RegValue& value) override {
        const RegValue& stored = m_data->values.at(index);
        if (stored.name.size() + 1 > nameCapacity || stored.data.size() > dataCapacity) {
            return false;
        }
        value = stored;
        return true;
    }
    bool SetValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data, std::size_t size,
                  std::string& reason) override {
        if (!m_data->refusal.empty()) {
            reason = m_data->refusal;
            return false;
        }
        m_data->writes.push_back({name, type, std::vector<std::uint8_t>(data, data + size)});
        return true;
    }
    bool SetValueIfMissing(const RegValue& value, RegValue& held, std::string& reason) override {
        for (const auto* list : {&m_data->writes, &m_data->values}) {
            for (auto stored = list->rbegin(); stored != list->rend(); ++stored) {
                if (stored->name == value.name) {
                    held = *stored;
                    return true;
                }
            }
        }
        held = value;
        return SetValue(value.name, value.type, value.data.data(), value.data.size(), reason);
    }

  private:
    std::shared_ptr<MemoryKeyData> m_data;
};

// Registry images of typed values.
RegValue SzValue(const std::u16string& name, const std::u16string& text);
RegValue DwordValue(const std::u16string& name, std::uint32_t value);
RegValue RawValue(const std::u16string& name, std::uint32_t type, const std::u16string& units);
std::u16string TextOf(const RegValue& value);  // the data as UTF-16 units, terminators included
