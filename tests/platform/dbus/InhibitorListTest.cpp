#include "platform/dbus/InhibitorList.h"

#include <gtest/gtest.h>

TEST(InhibitorList, ReadsBackWhatItWroteAndLeavesOutWhatIsNoInhibitor) {
    const std::vector<Inhibitor> held = {{1, ":1.42"}, {4294967295u, ":1.7"}};
    EXPECT_EQ(ParseInhibitorList(InhibitorListText(held)), held);
    const struct {
        const char* text;
        std::vector<Inhibitor> read;
    } cases[] = {
        {"3 :1.9", {{3, ":1.9"}}},
        {"0 :1.9\n", {}},
        {"3 org.freedesktop.ScreenSaver\n", {}},
        {"3 :1.9 more\n-1 :1.2\n4294967296 :1.3\nx :1.4\n\n5 :2.1\n", {{5, ":2.1"}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInhibitorList(c.text), c.read) << c.text;
    }
}
