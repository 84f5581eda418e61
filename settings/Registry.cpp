#include "settings/Registry.h"

#include <algorithm>
#include <cstring>

#include "settings/AssertReport.h"
#include "settings/NumberText.h"

namespace {

// Limit of a string value in bytes and of a value name in characters, terminators included.
constexpr std::size_t _MAX_REG_VALUE = 2048;
constexpr std::size_t kTextCapacity = 2048;  // characters of an entry's text buffer
constexpr std::size_t kEnumNameCapacity = 260;
constexpr std::size_t kEnumDataCapacity = 2048;

// The check stays active in every build: it reports and the operation goes on.
#define REG_ASSERT(expr) ((expr) ? static_cast<void>(0) : ReportAssertion("Registry", __LINE__, #expr))

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return FoldCase(x) == FoldCase(y);
           });
}

// Registry data is UTF-16LE; every target of this program is little-endian.
std::u16string UnitsOf(const std::vector<std::uint8_t>& data) {
    std::u16string units(data.size() / 2, u'\0');
    if (!units.empty()) {
        std::memcpy(units.data(), data.data(), units.size() * 2);
    }
    return units;
}

const std::uint8_t* BytesOf(const char16_t* text) {
    return reinterpret_cast<const std::uint8_t*>(text);
}

}  // namespace

// ---- CRegistry ----

bool CRegistry::OpenKey(const std::u16string& path, RegRoot root, std::uint32_t access) {
    if ((m_nMode & modeCreate) != 0) {
        access |= RegAccess::CreateSubKey;
    }
    std::string reason;
    const bool opened = Attach(CreateRegistryKey(root, path, access, reason));
    m_openFailure = m_hKey ? "" : reason;
    return opened;
}

bool CRegistry::Attach(std::unique_ptr<IRegistryKey> key) {
    m_hKey = std::move(key);
    return m_hKey != nullptr && LoadValues();
}

bool CRegistry::LoadValues() {
    std::uint32_t count = 0;
    if (!m_hKey || !m_hKey->CountValues(count)) {
        return false;
    }
    for (std::uint32_t index = 0; index < count; ++index) {
        RegValue value;
        if (m_hKey->EnumValue(index, kEnumNameCapacity, kEnumDataCapacity, value)) {
            LoadValue(value);
        }
    }
    return true;
}

void CRegistry::LoadValue(const RegValue& value) {
    const std::uint32_t savedMode = m_nMode;
    m_nMode |= modeLoading;
    const std::u16string units = UnitsOf(value.data);
    switch (value.type) {
        case RegType::Sz:
            GetEntry(value.name).SetString(std::u16string_view(units.c_str()));
            break;
        case RegType::Binary:
            GetEntry(value.name).SetBinary(value.data.data(), value.data.size());
            break;
        case RegType::Dword: {
            std::uint8_t bytes[4] = {};
            std::memcpy(bytes, value.data.data(), std::min<std::size_t>(4, value.data.size()));
            GetEntry(value.name)
                .SetDword(static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                     static_cast<std::uint32_t>(bytes[3]) << 24));
            break;
        }
        case RegType::MultiSz:
            GetEntry(value.name).SetMultiString(units.data(), units.size());
            break;
        default:
            break;  // other types are not loaded
    }
    m_nMode = savedMode;
}

CRegEntry& CRegistry::GetEntry(std::u16string_view name) {
    const std::size_t nValueNameLen = name.size() + 1;
    REG_ASSERT(nValueNameLen <= _MAX_REG_VALUE);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        if (SameName((*it)->GetName(), name)) {
            return **it;
        }
    }
    m_entries.push_back(std::make_unique<CRegEntry>(*this, name));
    return *m_entries.back();
}

void CRegistry::WriteValue(const std::u16string& name, std::uint32_t type, const std::uint8_t* data,
                           std::size_t size) {
    if ((m_nMode & modeLoading) != 0) {
        return;
    }
    std::string failure = m_openFailure;  // empty for a store that was never to be bound
    if (m_hKey && m_hKey->SetValue(name, type, data, size, failure)) {
        return;
    }
    NoteWriteFailure(failure);
}

void CRegistry::NoteWriteFailure(const std::string& failure) {
    if (m_writeFailure.empty()) {
        m_writeFailure = m_hKey && failure.empty() ? "the value was refused" : failure;
    }
}

void CRegistry::SetDefault(std::u16string_view name, std::u16string_view text) {
    CRegEntry& entry = GetEntry(name);
    if (entry.HasValue()) {
        return;
    }
    if (!m_hKey) {
        entry.SetString(text);  // memory only: the write failure is noted as for any value
        return;
    }
    const std::u16string whole(text.substr(0, text.find(u'\0')));
    const auto* bytes = BytesOf(whole.c_str());
    const RegValue value{std::u16string(name), RegType::Sz,
                         std::vector<std::uint8_t>(bytes, bytes + (whole.size() + 1) * 2)};
    RegValue held;
    std::string failure;
    if (m_hKey->SetValueIfMissing(value, held, failure)) {
        LoadValue(held);
        return;
    }
    LoadValue(value);  // the picture still gets the default
    NoteWriteFailure(failure);
}

// ---- CRegEntry ----

CRegEntry::CRegEntry(CRegistry& owner, std::u16string_view name) : m_strName(name), m_owner(owner) {}

char16_t* CRegEntry::TextBuffer() {
    if (!m_pText) {
        m_pText = std::make_unique<char16_t[]>(kTextCapacity);
    }
    return m_pText.get();
}

void CRegEntry::WriteThrough(const std::uint8_t* data, std::size_t size) {
    m_owner.WriteValue(m_strName, m_nType, data, size);
}

CRegEntry& CRegEntry::SetString(std::u16string_view text) {
    text = text.substr(0, text.find(u'\0'));
    const std::size_t nValueLen = (text.size() + 1) * 2;
    REG_ASSERT(nValueLen <= _MAX_REG_VALUE);
    char16_t* buffer = TextBuffer();
    const std::size_t kept = std::min(text.size(), kTextCapacity - 1);
    std::copy_n(text.begin(), kept, buffer);
    buffer[kept] = u'\0';
    m_nType = RegType::Sz;
    const std::u16string whole(text);
    WriteThrough(BytesOf(whole.c_str()), nValueLen);
    return *this;
}

CRegEntry& CRegEntry::SetNumber(double value) {
    return SetString(FormatFixed(value));
}

CRegEntry& CRegEntry::SetDword(std::uint32_t value) {
    m_nNumber = value;
    m_nType = RegType::Dword;
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                   static_cast<std::uint8_t>(value >> 16),
                                   static_cast<std::uint8_t>(value >> 24)};
    WriteThrough(bytes, sizeof bytes);
    return *this;
}

CRegEntry& CRegEntry::SetBinary(const std::uint8_t* bytes, std::size_t nLen) {
    REG_ASSERT(nLen);
    if (nLen == 0) {
        return *this;
    }
    m_nType = RegType::Binary;
    WriteThrough(bytes, nLen);
    m_bytes.assign(bytes, bytes + nLen);
    return *this;
}

CRegEntry& CRegEntry::SetMultiString(const char16_t* chars, std::size_t count) {
    m_nType = RegType::MultiSz;
    m_strings.clear();
    if (count > 2) {
        const std::size_t limit = chars[count - 1] == u'\0' ? count - 1 : count;
        std::size_t start = 0;
        for (std::size_t k = 0; k < limit; ++k) {
            if (chars[k] == u'\0') {
                m_strings.emplace_back(chars + start, chars + k);
                start = k + 1;
            }
        }
    }
    WriteThrough(BytesOf(chars), count * 2);
    return *this;
}

const char16_t* CRegEntry::GetString() {
    char16_t* buffer = TextBuffer();
    switch (m_nType) {
        case RegType::Dword: {
            const std::u16string text = FormatInteger(m_nNumber);
            std::copy(text.begin(), text.end(), buffer);
            buffer[text.size()] = u'\0';
            break;
        }
        case RegType::Binary: {
            const std::u16string units = UnitsOf(m_bytes);
            const std::size_t length = std::min(units.find(u'\0'), std::min(units.size(), kTextCapacity - 1));
            std::copy_n(units.begin(), length, buffer);
            buffer[length] = u'\0';
            break;
        }
        case RegType::MultiSz:
            GetMultiString(buffer, kTextCapacity);
            break;
        default:
            break;  // REG_SZ holds its text; no value leaves the buffer empty
    }
    return buffer;
}

void CRegEntry::GetMultiString(char16_t* buffer, std::size_t capacity) {
    if (capacity == 0) {
        return;
    }
    std::size_t used = 0;
    if (m_nType == RegType::MultiSz) {
        for (const std::u16string& text : m_strings) {
            if (used + text.size() + 2 > capacity) {
                break;  // this string and its terminator would leave no room for the final one
            }
            std::copy(text.begin(), text.end(), buffer + used);
            used += text.size();
            buffer[used++] = u'\0';
        }
    }
    buffer[used] = u'\0';
}

double CRegEntry::GetNumber() {
    switch (m_nType) {
        case RegType::Sz:
            return ParseLeadingNumber(TextBuffer());
        case RegType::Binary:
            return ParseLeadingNumber(GetString());
        case RegType::Dword:
            return static_cast<double>(m_nNumber);
        default:
            return 0.0;
    }
}

std::int32_t CRegEntry::GetInteger() {
    switch (m_nType) {
        case RegType::Sz:
            return ParseLeadingInteger(TextBuffer());
        case RegType::Binary:
            return ParseLeadingInteger(GetString());
        case RegType::Dword:
            return static_cast<std::int32_t>(m_nNumber);
        default:
            return 0;
    }
}
