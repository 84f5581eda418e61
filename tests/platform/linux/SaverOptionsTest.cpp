#include "platform/linux/SaverOptions.h"

#include <gtest/gtest.h>

#include <vector>

#include "settings/Speed.h"

TEST(SaverOptions, SpeedAndBackendAfterTheModeLetter) {
    struct Case {
        std::vector<const char*> args;  // after "lucenta"
        bool valid;
        std::optional<int> speed;
        bool forceX11;
    };
    const Case cases[] = {
        {{"-s"}, true, std::nullopt, false},
        {{"-s", "--speed", "240"}, true, 240, false},
        {{"-s", "--speed", "0"}, true, 0, false},
        {{"-s", "--x11", "--speed", "10"}, true, 10, true},
        {{"-s", "--speed", "99999999999999999999999"}, true, kMaxSpeed, false},
        {{"-s", "anything", "else"}, true, std::nullopt, false},
        {{"-s", "--speed"}, false, std::nullopt, false},
        {{"-s", "--speed", "-5"}, false, std::nullopt, false},
        {{"-s", "--speed", "fast"}, false, std::nullopt, false},
        {{"-s", "--speed", ""}, false, std::nullopt, false},
        {{"-s", "--speed", "60hz"}, false, std::nullopt, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"lucenta"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string error;
        const auto options = ParseSaverOptions(static_cast<int>(argv.size()), argv.data(), error);
        const std::string line = testing::PrintToString(c.args);
        ASSERT_EQ(options.has_value(), c.valid) << line;
        if (options) {
            EXPECT_EQ(options->speed, c.speed) << line;
            EXPECT_EQ(options->forceX11, c.forceX11) << line;
        } else {
            EXPECT_NE(error.find("--speed"), std::string::npos) << line;
        }
    }
}
