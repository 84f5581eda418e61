#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Number <-> text in the "C" locale whatever the user's locale: a point as the
// decimal separator, always.

// "%f": fixed, six decimals ("440.000000").
std::u16string FormatFixed(double value);
// "%d" and "%lu".
std::u16string FormatInteger(long long value);

// Like wcstod: leading white space skipped, the longest valid prefix taken
// (decimal, hexadecimal, inf, nan), 0.0 when nothing converts. A number beyond
// double's range gives infinity, one below it zero, each with the text's sign.
// `converted`, when given, tells whether any of the text converted.
double ParseLeadingNumber(const char16_t* text, bool* converted = nullptr);
// Like wcstol in base 10 with a 32-bit long: white space, an optional sign, the
// digits up to the first other character, clamped to the int32 range; 0 when
// there are no digits.
std::int32_t ParseLeadingInteger(const char16_t* text);

// A whole text that is a decimal integer in min..max, or a fixed-point decimal
// number that is finite: no sign games, no trailing text, no overflow, for the
// command line. std::nullopt for anything else.
std::optional<long long> ParseWholeInteger(std::string_view text, long long min, long long max);
std::optional<double> ParseWholeNumber(std::string_view text);
