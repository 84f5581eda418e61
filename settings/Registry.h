#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "settings/RegistryKey.h"

class CRegistry;

// One value of a key, readable as text, number or integer whatever its type.
// Every assignment is written through to the key at once (not while loading).
class CRegEntry {
  public:
    CRegEntry(CRegistry& owner, std::u16string_view name);
    virtual ~CRegEntry() = default;
    CRegEntry(const CRegEntry&) = delete;
    CRegEntry& operator=(const CRegEntry&) = delete;

    CRegEntry& SetString(std::u16string_view text);
    CRegEntry& SetNumber(double value);
    CRegEntry& SetDword(std::uint32_t value);
    CRegEntry& SetBinary(const std::uint8_t* bytes, std::size_t nLen);
    // From a registry multi-string image of `count` characters.
    CRegEntry& SetMultiString(const char16_t* chars, std::size_t count);

    // The entry's text buffer: valid while the entry lives, overwritten by the next read.
    const char16_t* GetString();
    double GetNumber();
    std::int32_t GetInteger();
    // Writes the strings as a multi-string image into `capacity` characters.
    void GetMultiString(char16_t* buffer, std::size_t capacity);

    const std::u16string& GetName() const { return m_strName; }
    std::uint32_t GetType() const { return m_nType; }
    bool HasValue() const { return m_nType != RegType::Untyped; }

  private:
    char16_t* TextBuffer();
    void WriteThrough(const std::uint8_t* data, std::size_t size);

    std::u16string m_strName;
    std::uint32_t m_nType = RegType::Untyped;
    CRegistry& m_owner;
    std::uint32_t m_nNumber = 0;
    std::unique_ptr<char16_t[]> m_pText;
    std::vector<std::uint8_t> m_bytes;
    std::vector<std::u16string> m_strings;
};

// An in-memory copy of one registry key's values that writes every change
// straight back to the key. A store never bound to a key is a table in memory.
class CRegistry {
  public:
    static constexpr std::uint32_t modeCreate = 0x1;   // create the key when missing
    static constexpr std::uint32_t modeLoading = 0x8;  // set while LoadValues copies the key

    explicit CRegistry(std::uint32_t nMode = modeCreate) : m_nMode(nMode) {}
    virtual ~CRegistry() = default;
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    // Binds the store to root\path (created when missing in create mode) and loads
    // its values. False when the key can be neither opened nor created: the store
    // then lives in memory only, and every later assignment is a write failure.
    bool OpenKey(const std::u16string& path, RegRoot root, std::uint32_t access);
    // Binds the store to a key that is already open and loads its values; false
    // (store in memory only) when `key` is null.
    bool Attach(std::unique_ptr<IRegistryKey> key);
    bool LoadValues();
    // Unbinds the store: later assignments live in memory only.
    void CloseKey() { m_hKey.reset(); }
    bool IsOpen() const { return m_hKey != nullptr; }

    // Why an assignment since the last ClearWriteFailure did not reach the key (the
    // first such): the key could not be opened, or the platform refused the write.
    // Empty when every one reached it, and always for a store never bound to a key.
    const std::string& WriteFailure() const { return m_writeFailure; }
    void ClearWriteFailure() { m_writeFailure.clear(); }

    // The entry of that name (ASCII letters compared without case), created without
    // a value when missing. Never fails; the reference lives as long as the store.
    CRegEntry& GetEntry(std::u16string_view name);

    // Gives an entry without a value the text as its default. The key takes it only
    // if it still holds no value of that name when it is written; a value that
    // another writer stored since this store was loaded stays, and the entry takes it.
    void SetDefault(std::u16string_view name, std::u16string_view text);

  private:
    friend class CRegEntry;
    void WriteValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data,
                    std::size_t size);
    void NoteWriteFailure(const std::string& failure);  // the first one is kept
    // Sets the entry of the value's name from the key's image of it, writing nothing.
    void LoadValue(const RegValue& value);

    std::unique_ptr<IRegistryKey> m_hKey;
    std::string m_openFailure;  // why OpenKey could not bind the store
    std::string m_writeFailure;
    std::uint32_t m_nMode;
    std::vector<std::unique_ptr<CRegEntry>> m_entries;
};
