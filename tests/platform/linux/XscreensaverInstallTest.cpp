#include "platform/linux/XscreensaverInstall.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/TempDirectory.h"

namespace {

constexpr const char* kEntry = "\t\t\t\tlucenta -s\t\t\t\t    \\n";

struct EntryCase {
    const char* name;
    std::string before;
    std::string after;  // empty: nothing is to be added
};

}  // namespace

TEST(XscreensaverInstall, AppendsAnEntryAndKeepsEveryOtherLine) {
    const std::string list = "programs:\t\t\t\t\t\t\t      \\\n\t\t\t\tmaze --root\t\t\t\t    \\n\\\n";
    const EntryCase cases[] = {
        {"xscreensaver's layout: a blank line ends the list", "mode: one\n" + list + "\nlock: True\n",
         "mode: one\n" + list + kEntry + "\\\n\nlock: True\n"},
        {"the last entry ends the list", "programs: \\\n  maze --root \\n\\\n  qix --root \\n\nlock: True",
         "programs: \\\n  maze --root \\n\\\n  qix --root \\n\\\n" + std::string(kEntry) + "\nlock: True"},
        {"the last entry lacks its \\n", "programs: \\\n  qix --root\n",
         "programs: \\\n  qix --root\\n\\\n" + std::string(kEntry) + "\n"},
        {"one entry on the resource's own line", "programs: qix --root\n",
         "programs: qix --root\\n\\\n" + std::string(kEntry) + "\n"},
        {"an empty list", "programs:\n", "programs:\\\n" + std::string(kEntry) + "\n"},
        {"the file ends inside the list", "programs: \\\n  qix --root \\n\\",
         "programs: \\\n  qix --root \\n\\\n" + std::string(kEntry)},
        {"no list at all", "mode: one",
         "mode: one\nprograms:\t\t\t\t\t\t\t      \\\n" + std::string(kEntry) + "\\\n\n"},
        {"a name like it is another program", "programs: \\\n  lucentax -s \\n\\\n\n",
         "programs: \\\n  lucentax -s \\n\\\n" + std::string(kEntry) + "\\\n\n"},
        {"there already", "programs: \\\n  maze \\n\\\n  /usr/local/bin/lucenta -s \\n\\\n\n", ""},
        {"there, disabled, with a visual and a label", "programs: \\\n- GL: \"Bells\" lucenta -s \\n\\\n\n",
         ""},
        {"there, as a quoted path", "programs: \\\n  '/home/a b/lucenta' -s \\n\\\n\n", ""},
        {"CR LF line ends: xscreensaver's layout",
         "mode: one\r\nprograms: \\\r\n  maze \\n\\\r\n\r\nlock: True\r\n",
         "mode: one\r\nprograms: \\\r\n  maze \\n\\\r\n" + std::string(kEntry) + "\\\r\n\r\nlock: True\r\n"},
        {"CR LF line ends: there already", "programs: \\\r\n  maze \\n\\\r\n  lucenta -s \\n\\\r\n\r\n", ""},
        {"CR LF line ends: no list at all", "mode: one\r\n",
         "mode: one\r\nprograms:\t\t\t\t\t\t\t      \\\r\n" + std::string(kEntry) + "\\\r\n\r\n"},
    };
    for (const EntryCase& c : cases) {
        const auto added = AddProgramEntry(c.before, "lucenta -s");
        if (c.after.empty()) {
            EXPECT_FALSE(added.has_value()) << c.name;
        } else {
            EXPECT_EQ(added.value_or("(nothing)"), c.after) << c.name;
        }
    }
}

TEST(XscreensaverInstall, NamesTheExecutableByPathUnlessXscreensaverFindsItByName) {
    TempDirectory temp;
    namespace fs = std::filesystem;
    const fs::path bin = temp.Path() / "my bin";
    const fs::path hacks = temp.Path() / "hacks";
    fs::create_directories(bin);
    fs::create_directories(hacks);
    std::ofstream(bin / "lucenta") << "";
    EXPECT_EQ(SaverCommand((bin / "lucenta").string(), hacks.string()),
              "'" + (bin / "lucenta").string() + "' -s");
    fs::create_symlink(bin / "lucenta", hacks / "lucenta");
    EXPECT_EQ(SaverCommand((bin / "lucenta").string(), hacks.string()), "lucenta -s");
}

// The file as xscreensaver writes it, with maze in the list.
constexpr const char* kConfig = "mode: one\nprograms: \\\n  maze \\n\\\n\nlock: True\n";

TEST(XscreensaverInstall, ALinkedFileIsEditedThroughItsLink) {
    TempDirectory home;
    namespace fs = std::filesystem;
    fs::create_directories(home.Path() / "dotfiles");
    std::ofstream(home.Path() / "dotfiles" / "xscreensaver") << kConfig;
    fs::create_symlink("dotfiles/xscreensaver", home.Path() / ".xscreensaver");
    std::ostringstream said;
    InstallInXscreensaver(home.Path().string(), "lucenta -s", "/nonexistent", said);
    EXPECT_TRUE(fs::is_symlink(home.Path() / ".xscreensaver")) << said.str();
    EXPECT_NE(home.Read("dotfiles/xscreensaver").find("lucenta -s"), std::string::npos) << said.str();
    EXPECT_EQ(home.Read(".xscreensaver.bak"), kConfig);
}

TEST(XscreensaverInstall, AnotherUsersFileStaysTheirs) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root edits another user's file";
    }
    TempDirectory home;
    const std::string path = (home.Path() / ".xscreensaver").string();
    std::ofstream(path) << kConfig;
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
    std::ostringstream said;
    InstallInXscreensaver(home.Path().string(), "lucenta -s", "/nonexistent", said);
    for (const std::string& file : {path, path + ".bak"}) {
        struct stat info {};
        ASSERT_EQ(stat(file.c_str(), &info), 0) << file;
        EXPECT_EQ(info.st_uid, 65534u) << file << ": " << said.str();
        EXPECT_EQ(info.st_gid, 65534u) << file;
    }
}

TEST(XscreensaverInstall, WhatIsNotARegularFileIsNotRead) {
    TempDirectory home;
    const std::string path = (home.Path() / ".xscreensaver").string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);  // opening it for reading would wait for a writer
    std::ostringstream said;
    InstallInXscreensaver(home.Path().string(), "lucenta -s", "/nonexistent", said);
    EXPECT_NE(said.str().find("Cannot read"), std::string::npos) << said.str();
}

TEST(XscreensaverInstall, WithoutAFileXscreensaversOwnListIsWrittenWithLucentaAndNothingElse) {
    TempDirectory home;
    const std::string defaults = (home.Path() / "XScreenSaver").string();
    std::ofstream(defaults) << "*mode:\t\trandom\n*programs:\t\t\\\n\t\tmaze --root\t\\n\\\n"
                               "- GL: \t\tsproingies --root\t\\n\n*lock:\t\tFalse\n";
    const struct {
        const char* what;
        std::string appDefaults;
        std::string written;  // empty: no file
    } cases[] = {
        {"xscreensaver is installed", defaults,
         "programs:\t\t\\\n\t\tmaze --root\t\\n\\\n- GL: \t\tsproingies --root\t\\n\\\n" +
             std::string(kEntry) + "\n"},
        {"xscreensaver is not installed", (home.Path() / "missing").string(), ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(home.Path() / ".xscreensaver");
        std::ostringstream said;
        InstallInXscreensaver(home.Path().string(), "lucenta -s", c.appDefaults, said);
        const std::string line = said.str();
        EXPECT_EQ(std::filesystem::exists(home.Path() / ".xscreensaver") ? home.Read(".xscreensaver") : "",
                  c.written)
            << c.what << ": " << line;
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << c.what << ": " << line;
    }
}
