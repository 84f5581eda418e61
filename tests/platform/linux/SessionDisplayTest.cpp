#include "platform/linux/SessionDisplay.h"

#include <gtest/gtest.h>

TEST(SessionDisplay, OneSessionHasOneKeyWhateverItsDisplaysSpelling) {
    const struct {
        const char* wayland;
        const char* x11;
        const char* key;
    } cases[] = {
        {"", ":46", ":46"},
        {"", ":46.0", ":46"},
        {"", "host:46.1", "host:46"},
        {"", "unix:4", "unix:4"},
        {"wayland-1", ":0", "wayland-1"},
        {"/run/user/1000/wayland-1", ":0.0", "/run/user/1000/wayland-1"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CSessionDisplay(c.wayland, c.x11, "/run/user/1000").Key(), c.key) << c.wayland << c.x11;
    }
}
