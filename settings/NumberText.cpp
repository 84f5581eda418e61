#include "settings/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

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

// For a number that lies outside double's range: whether it lies above it (and
// so overflows) rather than below it (and so underflows). Its order of magnitude
// is the place of its first nonzero digit relative to the point, plus the
// exponent; hexadecimal digits and the binary exponent count in bits.
bool AboveRange(std::string_view number, bool hex) {
    const std::size_t mark = number.find_first_of(hex ? "pP" : "eE");
    std::string_view digits = number.substr(0, mark);
    constexpr long long kClamp = 1'000'000'000;
    long long exponent = 0;
    if (mark != std::string_view::npos) {
        std::string_view text = number.substr(mark + 1);
        const bool negative = !text.empty() && text.front() == '-';
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
            text.remove_prefix(1);
        }
        for (const char c : text) {
            exponent = std::min(exponent * 10 + (c - '0'), kClamp);
        }
        exponent = negative ? -exponent : exponent;
    }
    const long long bitsPerDigit = hex ? 4 : 1;
    const std::size_t firstSignificant = digits.find_first_not_of("0.");
    const std::size_t point = std::min(digits.find('.'), digits.size());
    if (firstSignificant == std::string_view::npos) {
        return false;  // all zeros: never out of range
    }
    const long long place = firstSignificant < point ? static_cast<long long>(point - firstSignificant)
                                                     : -static_cast<long long>(firstSignificant - point - 1);
    return place * bitsPerDigit + exponent > 0;
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

double ParseLeadingNumber(const char16_t* text, bool* converted) {
    const std::string ascii = AsciiPrefix(text);
    const char* p = ascii.c_str();
    const char* end = p + ascii.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    double value = 0.0;
    const bool hex =
        end - p > 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && (IsHexDigit(p[2]) || p[2] == '.');
    std::from_chars_result result{p, std::errc()};
    if (hex) {
        result = std::from_chars(p + 2, end, value, std::chars_format::hex);
    } else if (p != end && *p != '+' && *p != '-') {
        result = std::from_chars(p, end, value, std::chars_format::general);
    }
    if (converted != nullptr) {
        *converted = result.ptr > (hex ? p + 2 : p);
    }
    if (result.ec == std::errc::result_out_of_range) {
        // As the C library converts it: overflow gives infinity, underflow zero.
        const char* digits = hex ? p + 2 : p;
        value = AboveRange(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)), hex)
                    ? std::numeric_limits<double>::infinity()
                    : 0.0;
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

std::optional<long long> ParseWholeInteger(std::string_view text, long long min, long long max) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseWholeNumber(std::string_view text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}
