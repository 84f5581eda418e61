#include "settings/NumberText.h"

#include <charconv>
#include <limits>

namespace {

bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::u16string Widen(const char* begin, const char* end) {
    return std::u16string(begin, end);
}

// The ASCII prefix of a text after its white space: numbers never hold anything else.
std::string AsciiPrefix(const char16_t* text) {
    while (*text != 0 && IsSpace(*text)) {
        ++text;
    }
    std::string ascii;
    for (; *text != 0 && *text < 0x80; ++text) {
        ascii += static_cast<char>(*text);
    }
    return ascii;
}

}  // namespace

std::u16string FormatFixed(double value) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    return Widen(buffer, result.ptr);
}

std::u16string FormatInteger(long long value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return Widen(buffer, result.ptr);
}

double ParseLeadingNumber(const char16_t* text) {
    const std::string ascii = AsciiPrefix(text);
    const char* p = ascii.c_str();
    const char* end = p + ascii.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    double value = 0.0;
    if (end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && (IsHexDigit(p[2]) || p[2] == '.')) {
        std::from_chars(p + 2, end, value, std::chars_format::hex);
    } else if (p != end && *p != '+' && *p != '-') {
        std::from_chars(p, end, value, std::chars_format::general);
    }
    return negative ? -value : value;
}

std::int32_t ParseLeadingInteger(const char16_t* text) {
    while (*text != 0 && IsSpace(*text)) {
        ++text;
    }
    bool negative = false;
    if (*text == u'+' || *text == u'-') {
        negative = *text == u'-';
        ++text;
    }
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    long long magnitude = 0;
    for (; *text >= u'0' && *text <= u'9'; ++text) {
        magnitude = magnitude * 10 + (*text - u'0');
        if (magnitude > kMax + 1) {
            magnitude = kMax + 1;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-magnitude);
    }
    return static_cast<std::int32_t>(magnitude > kMax ? kMax : magnitude);
}
