#include "platform/posix/Utf8.h"

namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t c) {
    if (c < 0x10000) {
        out += static_cast<char16_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (c >> 10));
        out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    }
}

bool IsHigh(char16_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLow(char16_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char16_t u = text[k];
        if (IsHigh(u) && k + 1 < text.size() && IsLow(text[k + 1])) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[k + 1]) - 0xDC00));
            ++k;
        } else if (IsHigh(u) || IsLow(u)) {
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

namespace {

// The character whose encoding starts at bytes[k], and its length in bytes;
// std::nullopt when the bytes there are not well-formed UTF-8.
std::optional<char32_t> DecodeAt(const std::string& bytes, std::size_t k, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(bytes[k]);
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        c = lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
        return std::nullopt;
    }
    if (k + static_cast<std::size_t>(extra) >= bytes.size()) {
        return std::nullopt;
    }
    for (int e = 1; e <= extra; ++e) {
        const auto next = static_cast<unsigned char>(bytes[k + static_cast<std::size_t>(e)]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    length = static_cast<std::size_t>(extra) + 1;
    return c;
}

}  // namespace

std::optional<std::u16string> FromUtf8(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t k = 0, length = 0; k < bytes.size(); k += length) {
        const std::optional<char32_t> c = DecodeAt(bytes, k, length);
        if (!c) {
            return std::nullopt;
        }
        AppendUtf16(out, *c);
    }
    return out;
}

std::u16string FromUtf8Lossy(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t k = 0, length = 1; k < bytes.size(); k += length) {
        length = 1;
        AppendUtf16(out, DecodeAt(bytes, k, length).value_or(0xFFFD));
    }
    return out;
}
