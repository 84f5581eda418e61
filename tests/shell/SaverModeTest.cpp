#include "shell/SaverMode.h"

#include <gtest/gtest.h>

struct ModeCase {
    const char16_t* arguments;
    int count;
    SaverMode mode;
};

TEST(SaverMode, CommandLines) {
    const ModeCase cases[] = {
        {u"/s", 2, SaverMode::Run},
        {u"-s", 2, SaverMode::Run},
        {u"s", 2, SaverMode::Run},
        {u"/s 1234 more", 4, SaverMode::Run},
        {u"/S", 2, SaverMode::Exit},
        {u"//s", 2, SaverMode::Exit},
        {u"/c", 2, SaverMode::Configure},
        {u"-c", 2, SaverMode::Configure},
        {u"/c:1234", 2, SaverMode::Configure},
        {u"", 1, SaverMode::Configure},
        {u"/p 1234", 3, SaverMode::Exit},
        {u"/a", 2, SaverMode::Exit},
        {u"/i", 2, SaverMode::Install},
        {u"i", 2, SaverMode::Install},
        {u"x", 2, SaverMode::Exit},
        {u"", 2, SaverMode::Exit},
        {u"/", 2, SaverMode::Exit},
        {u" /s", 2, SaverMode::Exit},
    };
    for (const ModeCase& c : cases) {
        const std::u16string text(c.arguments);
        EXPECT_EQ(ParseSaverMode(text, c.count), c.mode)
            << std::string(text.begin(), text.end()) << " " << c.count;
    }
}
