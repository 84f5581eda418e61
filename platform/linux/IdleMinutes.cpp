#include "platform/linux/IdleMinutes.h"

#include "settings/NumberText.h"

std::optional<double> ParseIdleMinutes(std::string_view word) {
    const std::optional<double> number = ParseWholeNumber(word);
    return number && *number > 0 && *number <= kMaxIdleMinutes ? number : std::nullopt;
}
