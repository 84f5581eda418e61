#include "settings/Speed.h"

#include <string>

std::optional<int> StoredSpeed(CRegEntry& entry) {
    switch (entry.GetType()) {
        case RegType::Dword: {
            const int speed = entry.GetInteger();
            return speed >= 0 ? std::optional<int>(std::min(speed, kMaxSpeed)) : std::nullopt;
        }
        case RegType::Sz:
        case RegType::Binary:
            return ParseSpeed(std::u16string_view(entry.GetString()));
        default:
            return std::nullopt;
    }
}

int SaverSpeed(std::optional<int> forThisRun, CSettings& settings, int unstored) {
    return forThisRun ? *forThisRun : StoredSpeed(settings.Config().GetEntry(kSpeed)).value_or(unstored);
}
