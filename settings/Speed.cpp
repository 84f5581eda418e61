#include "settings/Speed.h"

#include <algorithm>

namespace {

// What wcstol skips before a number.
bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Whether GetInteger finds digits in the text, rather than reading nothing as 0.
bool StartsWithNumber(const char16_t* text) {
    while (IsSpace(*text)) {
        ++text;
    }
    if (*text == u'+' || *text == u'-') {
        ++text;
    }
    return *text >= u'0' && *text <= u'9';
}

}  // namespace

std::optional<int> StoredSpeed(CRegEntry& entry) {
    switch (entry.GetType()) {
        case RegType::Dword:
            break;
        case RegType::Sz:
        case RegType::Binary:
            if (!StartsWithNumber(entry.GetString())) {
                return std::nullopt;
            }
            break;
        default:
            return std::nullopt;
    }
    const int speed = entry.GetInteger();
    if (speed < 0) {
        return std::nullopt;
    }
    return ClampSpeed(speed);
}

int SaverSpeed(std::optional<int> forThisRun, CSettings& settings, int unstored) {
    return forThisRun ? *forThisRun : StoredSpeed(settings.Config().GetEntry(kSpeed)).value_or(unstored);
}

int ClampSpeed(long long speed) {
    return static_cast<int>(std::clamp<long long>(speed, 0, kMaxSpeed));
}
