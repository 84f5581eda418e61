#pragma once

#include <optional>
#include <string>

// Whole-string number parsing for the command-line tools: no sign games, no
// trailing text, no overflow. std::nullopt when the text is not such a number.
std::optional<long long> ParseInteger(const std::string& text, long long min, long long max);
std::optional<double> ParseNumber(const std::string& text);
