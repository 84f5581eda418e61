#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/RunSettings.h"

// The options of a run, in one grammar for every program that takes them
// (lucenta -s, lucenta --idle, lucenta-render), each for that run only: those of
// the table of a run's settings (RunSettings.h), an option word and its value, or
// a switch's words alone.

// An option that one program takes beside those: its name, whether a value follows
// it, and what it does with the value (false, with the line that says what it
// takes, when it is not one; `value` is empty for an option without one).
struct ProgramOption {
    std::string_view name;
    bool takesValue;
    std::function<bool(std::string_view value, std::string& error)> take;
};

// What a program does with a word that is no option it knows: the saver's run
// mode ignores it (a front end may add words of its own), the others refuse it.
enum class UnknownWords { Ignored, Refused };

// The options in `words`; std::nullopt, with one line in `error` that names the
// option and what it takes (or the word that no option is), for anything else.
std::optional<SettingsOverrides> ParseRunOptions(const std::vector<std::string_view>& words,
                                                 const std::vector<ProgramOption>& own, UnknownWords unknown,
                                                 std::string& error);

// The choices of a saver's run, resolved once: its speed (the one given for the
// run, else the stored one, else `unstoredSpeed`, the platform's own default) and
// the settings given for the run, which every picture puts over the stored ones.
struct RunChoices {
    int speed = 0;
    SettingsOverrides overrides;
};
RunChoices ResolveRunChoices(const SettingsOverrides& options, int unstoredSpeed);

// The usage lines of the options, for a program's --help: a line for each, but those
// of the stored values in `leftOut`.
std::string RunOptionsUsage(const std::vector<const char16_t*>& leftOut = {});
