#include "platform/x11/XscreensaverInstall.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
