#include "platform/linux/IdleAutostart.h"

#include <gtest/gtest.h>

TEST(IdleAutostart, TheEntryStartsTheWatcherAfterItsMinutesAndQuotesOddPaths) {
    const struct {
        const char* what;
        std::string entry;
        std::optional<int> minutes;
    } entries[] = {
        {"the entry written", IdleAutostartEntry("lucenta", 7), 7},
        {"by a quoted path", IdleAutostartEntry(AutostartCommand("/opt/my \"bells\"/lucenta"), 12), 12},
        {"hidden, as a deleted entry is", IdleAutostartEntry("lucenta", 7) + "Hidden=true\n", std::nullopt},
        {"another command", "[Desktop Entry]\nExec=lucenta -s\n", std::nullopt},
        {"minutes out of range", "[Desktop Entry]\nExec=lucenta --idle 0\n", std::nullopt},
    };
    for (const auto& c : entries) {
        EXPECT_EQ(IdleMinutesOf(c.entry), c.minutes) << c.what;
    }
    EXPECT_NE(IdleAutostartEntry("lucenta", 7).find("\nNotShowIn=MATE;XFCE;X-Cinnamon;\n"),
              std::string::npos);
    const std::pair<const char*, const char*> commands[] = {
        {"/nonexistent/bin/lucenta", "/nonexistent/bin/lucenta"},
        {"/opt/my bells/lucenta", "\"/opt/my bells/lucenta\""},
        {"/opt/a\"b$c`d\\e%f/lucenta", "\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f/lucenta\""},
    };
    for (const auto& [program, command] : commands) {
        EXPECT_EQ(AutostartCommand(program), command) << program;
    }
}
