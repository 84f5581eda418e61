#include "platform/linux/SaverOptions.h"

#include <gtest/gtest.h>

#include <vector>

#include "settings/Speed.h"

namespace {

std::optional<SaverOptions> Parse(std::vector<const char*> args, std::string& error) {
    args.insert(args.begin(), {"lucenta", "-s"});
    return ParseSaverOptions(static_cast<int>(args.size()), args.data(), error);
}

}  // namespace

TEST(SaverOptions, EachOptionSetsItsSettingForThisRun) {
    struct Case {
        std::vector<const char*> args;  // after "lucenta -s"
        std::optional<int> speed;
        SettingsOverrides settings;
        bool forceX11;
    };
    const auto with = [](auto change) {
        SettingsOverrides settings;
        change(settings);
        return settings;
    };
    const Case cases[] = {
        {{}, std::nullopt, {}, false},
        {{"--speed", "240"}, 240, {}, false},
        {{"--speed", "0"}, 0, {}, false},
        {{"--x11", "--speed", "10"}, 10, {}, true},
        {{"--speed", "99999999999999999999999"}, kMaxSpeed, {}, false},
        {{"anything", "else"}, std::nullopt, {}, false},
        {{"--method", "6"}, std::nullopt, with([](auto& s) { s.methodIndex = 6; }), false},
        {{"--method", "Cambridge Surprise"}, std::nullopt, with([](auto& s) { s.methodIndex = 6; }), false},
        {{"--method", "kent-TREBLE-bob"}, std::nullopt, with([](auto& s) { s.methodIndex = 5; }), false},
        {{"--method", "cray-surprise"}, std::nullopt, with([](auto& s) { s.methodIndex = 9; }), false},
        {{"--treble"}, std::nullopt, with([](auto& s) { s.showTreble = 1; }), false},
        {{"--treble", "--no-treble"}, std::nullopt, with([](auto& s) { s.showTreble = 0; }), false},
        {{"--background", "white"}, std::nullopt, with([](auto& s) { s.background = 1; }), false},
        {{"--background", "black"}, std::nullopt, with([](auto& s) { s.background = 0; }), false},
        {{"--bottom", "500", "--top", "600.5", "--intensity", "0.75"},
         std::nullopt,
         with([](auto& s) {
             s.bottom = 500;
             s.top = 600.5;
             s.intensity = 0.75;
         }),
         false},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto options = Parse(c.args, error);
        const std::string line = testing::PrintToString(c.args);
        ASSERT_TRUE(options.has_value()) << line << ": " << error;
        EXPECT_EQ(options->speed, c.speed) << line;
        EXPECT_EQ(options->forceX11, c.forceX11) << line;
        const SettingsOverrides& s = options->settings;
        EXPECT_EQ(s.methodIndex, c.settings.methodIndex) << line;
        EXPECT_EQ(s.showTreble, c.settings.showTreble) << line;
        EXPECT_EQ(s.background, c.settings.background) << line;
        EXPECT_EQ(s.bottom, c.settings.bottom) << line;
        EXPECT_EQ(s.top, c.settings.top) << line;
        EXPECT_EQ(s.intensity, c.settings.intensity) << line;
    }
}

TEST(SaverOptions, ABadValueGetsOneLineNamingTheOptionAndWhatItTakes) {
    struct Case {
        std::vector<const char*> args;
        const char* takes;  // a part of the line
    };
    const Case cases[] = {
        {{"--speed"}, "rows per second"},
        {{"--speed", "-5"}, "rows per second"},
        {{"--speed", "60hz"}, "rows per second"},
        {{"--method"}, "cambridge-surprise"},
        {{"--method", "8"}, "0 to 7 or 9"},
        {{"--method", "-1"}, "0 to 7 or 9"},
        {{"--method", "grandsire"}, "a method's name"},
        {{"--method", "plain_hunt"}, "a method's name"},
        {{"--background", "grey"}, "black or white"},
        {{"--background", "White"}, "black or white"},
        {{"--bottom", "0"}, "above 0"},
        {{"--bottom", "-440"}, "above 0"},
        {{"--top", "640nm"}, "wavelength"},
        {{"--top", "1e3"}, "wavelength"},
        {{"--intensity", "high"}, "a number"},
        {{"--intensity"}, "a number"},
    };
    for (const Case& c : cases) {
        std::string error;
        const std::string line = testing::PrintToString(c.args);
        EXPECT_FALSE(Parse(c.args, error).has_value()) << line;
        EXPECT_EQ(error.rfind(c.args[0], 0), 0u) << line << ": " << error;
        EXPECT_NE(error.find(c.takes), std::string::npos) << line << ": " << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << line << ": one line";
    }
}
