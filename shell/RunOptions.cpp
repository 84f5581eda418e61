#include "shell/RunOptions.h"

#include <algorithm>

#include "settings/Speed.h"
#include "shell/ProgramUsage.h"

namespace {

const RunSetting* SettingOfWord(std::string_view word) {
    for (const RunSetting& setting : kRunSettings) {
        if (word == setting.option || (setting.offOption != nullptr && word == setting.offOption)) {
            return &setting;
        }
    }
    return nullptr;
}

const ProgramOption* Find(const std::vector<ProgramOption>& own, std::string_view word) {
    for (const ProgramOption& option : own) {
        if (option.name == word) {
            return &option;
        }
    }
    return nullptr;
}

// A setting's word, with the value that follows it when it takes one, into
// `options`; false, with the line that says what the option takes, when the value
// is not one. A switch followed by 0 or 1 (its old form) is refused.
bool TakeSetting(const RunSetting& setting, std::string_view word, std::string_view next,
                 SettingsOverrides& options, std::string& error) {
    const bool isSwitch = setting.read == nullptr;
    const std::optional<double> value =
        isSwitch ? (next == "0" || next == "1" ? std::nullopt : std::optional<double>(word == setting.option))
                 : setting.read(next);
    if (!value) {
        error = std::string(word) + " takes " + TakesText(setting);
        return false;
    }
    options.values[setting.name] = *value;
    return true;
}

}  // namespace

std::optional<SettingsOverrides> ParseRunOptions(const std::vector<std::string_view>& words,
                                                 const std::vector<ProgramOption>& own, UnknownWords unknown,
                                                 std::string& error) {
    SettingsOverrides options;
    for (std::size_t k = 0; k < words.size(); ++k) {
        const std::string_view word = words[k];
        const std::string_view next = k + 1 < words.size() ? words[k + 1] : std::string_view();
        const ProgramOption* mine = Find(own, word);
        const RunSetting* setting = mine == nullptr ? SettingOfWord(word) : nullptr;
        if (mine == nullptr && setting == nullptr) {
            if (unknown == UnknownWords::Ignored) {
                continue;
            }
            error = (word.rfind("-", 0) == 0 ? "unknown option '" : "unexpected word '") + std::string(word) +
                    "'";
            return std::nullopt;
        }
        const bool takesValue = mine != nullptr ? mine->takesValue : setting->read != nullptr;
        k += takesValue && k + 1 < words.size() ? 1 : 0;
        if (!(mine != nullptr ? mine->take(takesValue ? next : std::string_view(), error)
                              : TakeSetting(*setting, word, next, options, error))) {
            return std::nullopt;
        }
    }
    return options;
}

RunChoices ResolveRunChoices(const SettingsOverrides& options, int unstoredSpeed) {
    CSettings settings;
    const std::optional<double> speed = options.Of(kSpeed);
    return {SaverSpeed(speed ? std::optional<int>(static_cast<int>(*speed)) : std::nullopt, settings,
                       unstoredSpeed),
            options};
}

std::string RunOptionsUsage(const std::vector<const char16_t*>& leftOut) {
    std::string usage;
    for (const RunSetting& setting : kRunSettings) {
        if (std::find(leftOut.begin(), leftOut.end(), setting.name) == leftOut.end()) {
            usage += OptionLine(UsageWords(setting), UsageText(setting));
        }
    }
    return usage;
}
