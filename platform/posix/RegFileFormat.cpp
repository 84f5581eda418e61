#include "platform/posix/RegFileFormat.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <unordered_map>

#include "platform/posix/RegFileText.h"
#include "platform/posix/Utf8.h"

namespace {

constexpr char16_t kHeader5[] = u"Windows Registry Editor Version 5.00";
constexpr char16_t kHeader4[] = u"REGEDIT4";
constexpr std::size_t kHexBytesPerLine = 25;

char16_t FoldCase(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool SameText(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return FoldCase(x) == FoldCase(y);
           });
}

std::u16string Folded(std::u16string_view text) {
    std::u16string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldCase);
    return folded;
}

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view TrimLeft(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    return s;
}

std::u16string_view TrimRight(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Whole-text hexadecimal number of 1 to maxDigits digits.
std::optional<std::uint32_t> ParseHex(std::u16string_view s, std::size_t maxDigits) {
    if (s.empty() || s.size() > maxDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (char16_t c : s) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

std::vector<std::uint8_t> Utf16Bytes(std::u16string_view text, bool terminate) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t u : text) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    if (terminate) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

// A quoted string at the start of `s` with the escapes \\ and \"; `s` is moved past it.
std::optional<std::u16string> ParseQuoted(std::u16string_view& s) {
    if (s.empty() || s.front() != u'"') {
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t k = 1; k < s.size(); ++k) {
        if (s[k] == u'"') {
            s.remove_prefix(k + 1);
            return text;
        }
        if (s[k] == u'\\') {
            if (k + 1 >= s.size() || (s[k + 1] != u'\\' && s[k + 1] != u'"')) {
                return std::nullopt;
            }
            ++k;
        }
        text += s[k];
    }
    return std::nullopt;  // no closing quote
}

bool OnlyCommentLeft(std::u16string_view s) {
    s = TrimLeft(s);
    return s.empty() || s.front() == u';';
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::u16string_view list) {
    std::vector<std::uint8_t> bytes;
    list = TrimRight(TrimLeft(list));
    while (!list.empty()) {
        const std::size_t comma = list.find(u',');
        const auto byte = ParseHex(TrimRight(TrimLeft(list.substr(0, comma))), 2);
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == std::u16string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
        if (TrimLeft(list).empty()) {
            return std::nullopt;  // a trailing comma with no byte after it
        }
    }
    return bytes;
}

struct Parser {
    std::vector<std::optional<std::u16string>> lines;  // std::nullopt: a line that could not be decoded
    std::size_t next = 0;
    RegFile file;
    // Each key's values by name, letter case folded: where each stands in the key,
    // so that a file of many values is read in linear time.
    std::vector<std::unordered_map<std::u16string, std::size_t>> places;
    RegFileKey* key = nullptr;
    std::unordered_map<std::u16string, std::size_t>* keyPlaces = nullptr;
    bool inDeletedKey = false;

    void EnterKey(std::u16string_view path) {
        key = &file.GetKey(path);
        places.resize(file.keys.size());
        keyPlaces = &places[static_cast<std::size_t>(key - file.keys.data())];
    }

    // A name read before in this key (letter case ignored) keeps its place and takes
    // the new value, as when the file is imported.
    void SetValue(RegValue value) {
        const auto [place, isNew] = keyPlaces->try_emplace(Folded(value.name), key->values.size());
        if (isNew) {
            key->values.push_back(std::move(value));
        } else {
            key->values[place->second] = std::move(value);
        }
    }

    void RemoveValue(std::u16string_view name) {
        key->RemoveValue(name);
        keyPlaces->clear();
        for (std::size_t k = 0; k < key->values.size(); ++k) {
            keyPlaces->emplace(Folded(key->values[k].name), k);
        }
    }

    bool ParseValueLine(std::u16string_view line) {
        RegValue value;
        if (line.front() == u'@') {
            line.remove_prefix(1);
        } else {
            auto name = ParseQuoted(line);
            if (!name) {
                return false;
            }
            value.name = *name;
        }
        line = TrimLeft(line);
        if (line.empty() || line.front() != u'=') {
            return false;
        }
        line = TrimLeft(line.substr(1));
        if (TrimRight(line) == u"-") {
            if (key != nullptr) {
                RemoveValue(value.name);
            }
            return true;
        }
        if (!ParseData(line, value)) {
            return false;
        }
        if (key != nullptr) {
            SetValue(std::move(value));
        }
        return true;
    }

    bool ParseData(std::u16string_view data, RegValue& value) {
        if (!data.empty() && data.front() == u'"') {
            auto text = ParseQuoted(data);
            if (!text || !OnlyCommentLeft(data)) {
                return false;
            }
            value.type = RegType::Sz;
            value.data = Utf16Bytes(*text, true);
            return true;
        }
        const std::size_t colon = data.find(u':');
        if (colon == std::u16string_view::npos) {
            return false;
        }
        const std::u16string prefix(data.substr(0, colon));
        std::u16string_view rest = data.substr(colon + 1);
        if (SameText(prefix, u"dword")) {
            const auto number = ParseHex(TrimRight(rest), 8);
            if (!number) {
                return false;
            }
            value.type = RegType::Dword;
            value.data = {static_cast<std::uint8_t>(*number), static_cast<std::uint8_t>(*number >> 8),
                          static_cast<std::uint8_t>(*number >> 16), static_cast<std::uint8_t>(*number >> 24)};
            return true;
        }
        if (SameText(prefix, u"hex")) {
            value.type = RegType::Binary;
        } else if (prefix.size() > 5 && SameText(prefix.substr(0, 4), u"hex(") && prefix.back() == u')') {
            const auto type = ParseHex(std::u16string_view(prefix).substr(4, prefix.size() - 5), 8);
            if (!type) {
                return false;
            }
            value.type = *type;
        } else {
            return false;
        }
        return ParseHexList(rest, value);
    }

    // The bytes of a hex list, which may go on over the lines that follow.
    bool ParseHexList(std::u16string_view rest, RegValue& value) {
        std::u16string list(TrimRight(rest));
        while (!list.empty() && list.back() == u'\\') {  // continued on the next line
            list.pop_back();
            if (next >= lines.size() || !lines[next]) {
                return false;
            }
            list += TrimRight(TrimLeft(*lines[next++]));
        }
        auto bytes = ParseHexBytes(list);
        if (!bytes) {
            return false;
        }
        value.data = std::move(*bytes);
        return true;
    }

    bool Parse(std::vector<std::size_t>* dropped) {
        while (next < lines.size() && lines[next] && TrimRight(*lines[next]).empty()) {
            ++next;
        }
        if (next >= lines.size() || !lines[next]) {
            return false;
        }
        const std::u16string_view header = TrimRight(*lines[next++]);
        if (header != kHeader5 && header != kHeader4) {
            return false;
        }
        while (next < lines.size()) {
            const std::size_t number = next + 1;
            const std::optional<std::u16string>& line = lines[next++];
            if (!line || !ParseLine(TrimRight(TrimLeft(*line)))) {
                if (dropped == nullptr) {
                    return false;
                }
                dropped->push_back(number);
            }
        }
        return true;
    }

    bool ParseLine(std::u16string_view line) {
        if (line.empty() || line.front() == u';') {
            return true;
        }
        if (line.front() == u'[') {
            if (line.back() != u']' || line.size() < 3) {
                key = nullptr;  // the values that follow belong to no key that can be named
                inDeletedKey = false;
                return false;
            }
            const std::u16string_view path = line.substr(1, line.size() - 2);
            inDeletedKey = path.front() == u'-';
            if (inDeletedKey) {
                key = nullptr;
            } else {
                EnterKey(path);
            }
            return true;
        }
        return (key != nullptr || inDeletedKey) && ParseValueLine(line);
    }
};

// A REG_SZ image that a quoted string carries exactly: one terminator at the end,
// no line breaks, no unpaired surrogates.
bool IsPlainString(const std::vector<std::uint8_t>& data, std::u16string& text) {
    if (data.size() < 2 || data.size() % 2 != 0) {
        return false;
    }
    text.clear();
    for (std::size_t k = 0; k + 1 < data.size(); k += 2) {
        text += static_cast<char16_t>(data[k] | data[k + 1] << 8);
    }
    if (text.empty() || text.back() != u'\0') {
        return false;
    }
    text.pop_back();
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char16_t u = text[k];
        if (u == u'\0' || u == u'\r' || u == u'\n') {
            return false;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (k + 1 >= text.size() || text[k + 1] < 0xDC00 || text[k + 1] > 0xDFFF) {
                return false;
            }
            ++k;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

std::string Quote(const std::u16string& text) {
    std::u16string quoted = u"\"";
    for (char16_t u : text) {
        if (u == u'\\' || u == u'"') {
            quoted += u'\\';
        }
        quoted += u;
    }
    quoted += u'"';
    return ToUtf8(quoted);
}

std::string HexList(const std::vector<std::uint8_t>& data) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string list;
    for (std::size_t k = 0; k < data.size(); ++k) {
        if (k > 0) {
            list += (k % kHexBytesPerLine == 0) ? ",\\\n  " : ",";
        }
        list += kDigits[data[k] >> 4];
        list += kDigits[data[k] & 0xF];
    }
    return list;
}

std::string FormatValue(const RegValue& value) {
    std::string line = value.name.empty() ? "@" : Quote(value.name);
    line += '=';
    std::u16string text;
    if (value.type == RegType::Sz && IsPlainString(value.data, text)) {
        line += Quote(text);
    } else if (value.type == RegType::Dword && value.data.size() == 4) {
        static constexpr char kDigits[] = "0123456789abcdef";
        line += "dword:";
        for (int k = 3; k >= 0; --k) {
            line += kDigits[value.data[static_cast<std::size_t>(k)] >> 4];
            line += kDigits[value.data[static_cast<std::size_t>(k)] & 0xF];
        }
    } else {
        if (value.type == RegType::Binary) {
            line += "hex:";
        } else {
            char type[16];
            std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
            line += type;
        }
        line += HexList(value.data);
    }
    return line + "\n";
}

}  // namespace

void RegFileKey::SetValue(RegValue value) {
    for (RegValue& existing : values) {
        if (SameText(existing.name, value.name)) {
            existing = std::move(value);
            return;
        }
    }
    values.push_back(std::move(value));
}

const RegValue* RegFileKey::FindValue(std::u16string_view name) const {
    const auto found = std::find_if(values.begin(), values.end(),
                                    [name](const RegValue& value) { return SameText(value.name, name); });
    return found != values.end() ? &*found : nullptr;
}

void RegFileKey::RemoveValue(std::u16string_view name) {
    values.erase(std::remove_if(values.begin(), values.end(),
                                [name](const RegValue& value) { return SameText(value.name, name); }),
                 values.end());
}

RegFileKey* RegFile::FindKey(std::u16string_view path) {
    for (RegFileKey& key : keys) {
        if (SameText(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

RegFileKey& RegFile::GetKey(std::u16string_view path) {
    if (RegFileKey* key = FindKey(path)) {
        return *key;
    }
    keys.push_back(RegFileKey{std::u16string(path), {}});
    return keys.back();
}

std::optional<RegFile> ParseRegFile(const std::string& bytes, std::vector<std::size_t>* droppedLines) {
    Parser parser;
    parser.lines = DecodeLines(bytes);
    if (!parser.Parse(droppedLines)) {
        return std::nullopt;
    }
    return std::move(parser.file);
}

std::string FormatRegFile(const RegFile& file) {
    std::string text = ToUtf8(kHeader5) + "\n";
    for (const RegFileKey& key : file.keys) {
        text += "\n[" + ToUtf8(key.path) + "]\n";
        for (const RegValue& value : key.values) {
            text += FormatValue(value);
        }
    }
    return text;
}

bool IsWritableName(std::u16string_view name) {
    return name.find_first_of(u"\r\n") == std::u16string_view::npos;
}
