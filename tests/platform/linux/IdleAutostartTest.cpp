#include "platform/linux/IdleAutostart.h"

#include <gtest/gtest.h>

TEST(IdleAutostart, TheEntryTellsWhatItDoesAndQuotesOddPaths) {
    const std::string ours = IdleAutostartEntry("lucenta", 7);
    const struct {
        const char* what;
        std::string entry;
        std::optional<IdleAutostartState> state;
    } entries[] = {
        {"the entry written", ours, IdleAutostartState{true, 7}},
        {"by a quoted path", IdleAutostartEntry(AutostartCommand("/opt/my \"bells\"/lucenta"), 12),
         IdleAutostartState{true, 12}},
        {"hidden, as a deleted entry is", ours + "Hidden=true\n", IdleAutostartState{false, 7}},
        {"turned off by GNOME Tweaks",
         "[Desktop Entry]\nExec=lucenta --idle 7\nX-GNOME-Autostart-enabled=false",
         IdleAutostartState{false, 7}},
        {"decimal minutes and the saver's options", "[Desktop Entry]\nExec=lucenta --idle 2.5 --method 7\n",
         IdleAutostartState{true, 2.5}},
        {"another command", "[Desktop Entry]\nExec=lucenta -s\n", std::nullopt},
        {"minutes out of range", "[Desktop Entry]\nExec=lucenta --idle 0\n", std::nullopt},
    };
    for (const auto& c : entries) {
        const auto state = IdleAutostartStateOf(c.entry);
        EXPECT_EQ(state.has_value(), c.state.has_value()) << c.what;
        EXPECT_TRUE(!state || (state->on == c.state->on && state->minutes == c.state->minutes)) << c.what;
    }
    EXPECT_NE(ours.find("\nNotShowIn=MATE;XFCE;X-Cinnamon;\n"), std::string::npos);
    const std::pair<const char*, const char*> commands[] = {
        {"/nonexistent/bin/lucenta", "/nonexistent/bin/lucenta"},
        {"/opt/my bells/lucenta", "\"/opt/my bells/lucenta\""},
        {"/opt/a\"b$c`d\\e%f/lucenta", "\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e%%f/lucenta\""},
    };
    for (const auto& [program, command] : commands) {
        EXPECT_EQ(AutostartCommand(program), command) << program;
    }
}

TEST(IdleAutostart, AChangeKeepsTheEntrysOtherWordsAndKeys) {
    const std::string tweaked =
        "[Desktop Entry]\nName=Mine\nExec=lucenta --idle 2.5 --method 7\nX-GNOME-Autostart-enabled=false\n"
        "X-Mine=kept\n";
    const struct {
        const char* what;
        IdleAutostartState state;
        const char* entry;
    } changes[] = {
        {"turned on again, the minutes kept",
         {true, 2.5},
         "[Desktop Entry]\nName=Mine\nExec=lucenta --idle 2.5 --method 7\nX-Mine=kept\n"
         "X-GNOME-Autostart-enabled=true\n"},
        {"other minutes, still off",
         {false, 4},
         "[Desktop Entry]\nName=Mine\nExec=lucenta --idle 4 --method 7\nX-Mine=kept\nHidden=true\n"
         "X-GNOME-Autostart-enabled=false\n"},
    };
    for (const auto& c : changes) {
        const std::string changed = IdleAutostartChanged(tweaked, c.state);
        EXPECT_EQ(changed, c.entry) << c.what;
        EXPECT_EQ(IdleAutostartWords(changed).back(), "7") << c.what;
    }
}
