#pragma once

#include <optional>
#include <string_view>

// The minutes of lucenta --idle MINUTES: a decimal number above 0 and at most a day's.
inline constexpr double kMaxIdleMinutes = 24 * 60;

// std::nullopt for a word that is no such number.
std::optional<double> ParseIdleMinutes(std::string_view word);
