#include "settings/SettingsDialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ringing/PlaceNotation.h"
#include "tests/support/RegistrySandbox.h"
#include "tests/support/TempDirectory.h"

TEST(SettingsDialog, ListNamesTheFirstEightMethodsInOrder) {
    ASSERT_EQ(kMethodListCount, 8);
    for (int index = 0; index < kMethodListCount; ++index) {
        CPlaceNotation notation(12, index + 1);
        EXPECT_EQ(notation.GetName(), MethodListName(index)) << index;
    }
}

TEST(SettingsDialog, LoadsWhatIsStoredAndSavesAsText) {
    RegistrySandbox sandbox;
    {
        CSettingsDialogState fresh;
        fresh.Load();
        EXPECT_EQ(fresh.m_nMethodIndex, 0);
        EXPECT_EQ(fresh.m_nShowTreble, 0);
    }
    {
        CSettings settings;
        settings.Config().GetEntry(kMethod).SetString(u"7");
        settings.Config().GetEntry(kShowTreble).SetDword(1);
    }
    CSettingsDialogState state;
    state.Load();
    EXPECT_EQ(state.m_nMethodIndex, 7);
    EXPECT_EQ(state.m_nShowTreble, 1);
    state.m_nMethodIndex = 5;
    state.m_nShowTreble = 0;
    std::string failure;
    EXPECT_TRUE(state.Save(failure)) << failure;
    CSettings stored;
    EXPECT_EQ(std::u16string(stored.Config().GetEntry(kMethod).GetString()), u"5");
    EXPECT_EQ(stored.Config().GetEntry(kShowTreble).GetType(), RegType::Sz);
    EXPECT_EQ(std::u16string(stored.Config().GetEntry(kShowTreble).GetString()), u"0");
}

TEST(SettingsDialog, CheckBoxTakesOnlyItsOwnStates) {
    EXPECT_EQ(CSettingsDialogState::CheckBoxState(0), 0);
    EXPECT_EQ(CSettingsDialogState::CheckBoxState(1), 1);
    EXPECT_EQ(CSettingsDialogState::CheckBoxState(2), 2);
    EXPECT_EQ(CSettingsDialogState::CheckBoxState(5), 0);
    EXPECT_EQ(CSettingsDialogState::CheckBoxState(-1), 0);
}

TEST(SettingsDialog, ExportWritesOneLineWithoutLineEnd) {
    TempDirectory dir;
    std::string reason;
    EXPECT_TRUE(ExportMethodText(5, "kent.txt", reason));
    EXPECT_EQ(dir.Read("kent.txt"), "34-34.1-12-1-12-1-12-1-12-1-12-1-12-1-12-1-12-1-12-1-12-1.1");
    EXPECT_TRUE(ExportMethodText(9, "cray.txt", reason));
    EXPECT_EQ(dir.Read("cray.txt"),
              "-56-14-56-36-34-58-34-70-34-9T-34-1T-34-9T-34-70-34-58-34-36-56-14-56-12");
    const std::filesystem::path folder = dir.Path() / std::filesystem::u8path(u8"Gl\u00f6ckner");
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(ExportMethodText(7, folder / "stedman.txt", reason));
    EXPECT_EQ(dir.Read(folder / "stedman.txt"), "3.1.E.3.1.3.1.3.E.1.3.1");
}

TEST(SettingsDialog, ExportOfNoMethodCreatesNoFile) {
    TempDirectory dir;
    for (int index : {8, -1, -2, 10, 2147483647, -2147483647 - 1}) {
        EXPECT_FALSE(NamesMethod(index)) << index;
        std::string reason;
        EXPECT_FALSE(ExportMethodText(index, "none.txt", reason)) << index;
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "none.txt")) << index;
    }
    EXPECT_TRUE(NamesMethod(0));
    EXPECT_TRUE(NamesMethod(9));
}

TEST(SettingsDialog, DialogUnitsBecomePixelsAsWindowsConvertsThem) {
    const struct {
        int units, fontUnit, x, y;
    } cases[] = {
        {131, 7, 229, 115}, {120, 13, 390, 195}, {7, 6, 11, 5},    {14, 13, 46, 23},
        {83, 13, 270, 135}, {2, 1, 1, 0},        {-7, 6, -11, -5}, {0, 9, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialogUnitsToPixelsX(c.units, c.fontUnit), c.x) << c.units << " x " << c.fontUnit;
        EXPECT_EQ(DialogUnitsToPixelsY(c.units, c.fontUnit), c.y) << c.units << " x " << c.fontUnit;
    }
    // The 52 letters 312 pixels wide (Tahoma 8 at 96 dpi) give 6; from 338 pixels on, 7.
    EXPECT_EQ(AverageCharWidth(312), 6);
    EXPECT_EQ(AverageCharWidth(338), 7);
    EXPECT_EQ(AverageCharWidth(337), 6);
}

TEST(SettingsDialog, ExportAsksForAFileOnlyForAMethodAndAddsTheExtension) {
    struct FakeChooser : IFileChooser {
        std::optional<std::filesystem::path> answer;
        int asked = 0;
        std::optional<std::filesystem::path> AskSavePath() override {
            ++asked;
            return answer;
        }
    };
    TempDirectory dir;
    FakeChooser chooser;
    std::string message;
    EXPECT_EQ(ExportNotation(8, chooser, message), ExportResult::NoMethod);
    EXPECT_EQ(chooser.asked, 0);
    EXPECT_EQ(ExportNotation(0, chooser, message), ExportResult::Cancelled);
    chooser.answer = dir.Path() / "hunt.txt";
    EXPECT_EQ(ExportNotation(0, chooser, message), ExportResult::Written);
    EXPECT_EQ(dir.Read("hunt.txt"), "-1");
    chooser.answer = dir.Path() / "no such folder" / "x.txt";
    EXPECT_EQ(ExportNotation(0, chooser, message), ExportResult::NotWritten);
    const std::size_t reason = message.find("\n\n");
    EXPECT_NE(message.find("x.txt"), std::string::npos) << "the message names the file: " << message;
    ASSERT_NE(reason, std::string::npos) << message;
    EXPECT_GT(message.size(), reason + 2) << "and gives the system's reason after it";

    EXPECT_EQ(WithDefaultExtension("lead"), "lead.txt");
    EXPECT_EQ(WithDefaultExtension("dir.d/lead"), "dir.d/lead.txt");
    EXPECT_EQ(WithDefaultExtension("lead.dat"), "lead.dat");
    EXPECT_EQ(WithDefaultExtension(".hidden"), ".hidden.txt");
}

TEST(SettingsDialog, SettingsThatCannotBeStoredAreReportedNotLost) {
    RegistrySandbox sandbox;
#ifdef _WIN32
    GTEST_SKIP() << "the user's own registry key cannot be made unwritable here";
#else
    // The settings folder is a file: the settings file can be neither read nor written.
    std::filesystem::create_directories(sandbox.ConfigHome());
    std::ofstream(sandbox.ConfigHome() + "/lucenta") << "in the way";
    CSettingsDialogState state;
    state.Load();
    state.m_nMethodIndex = 3;
    std::string message;
    EXPECT_FALSE(state.Save(message));
    EXPECT_EQ(message.rfind("The settings could not be stored.\n\n", 0), 0u) << message;
    EXPECT_NE(message.find("Not a directory"), std::string::npos) << "the system's own reason: " << message;
#endif
}

TEST(SettingsDialog, MessagesBreakLongPathsIntoLinesThatFitTheScreen) {
    struct Case {
        const char* text;
        std::size_t width;
        const char* broken;
    };
    const Case cases[] = {
        {"short words stay as they are", 6, "short words stay as they are"},
        {"/home/user/lead.txt", 11, "/home/user/\nlead.txt"},
        {"to /a/b/c/d/e/f.txt.\n\nNo", 6, "to /a/b/\nc/d/e/\nf.txt.\n\nNo"},
        {"abcdefghij", 4, "abcd\nefgh\nij"},
        {"C:\\Glöckner\\lead.txt", 10, "C:\\\nGlöckner\\\nlead.txt"},
        {"ééééé", 2, "éé\néé\né"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BreakLongWords(c.text, c.width), c.broken) << c.text;
    }
    const std::string path = "/tmp/" + std::string(248, 'n') + ".txt";
    const std::string message = BreakLongWords("The notation could not be written to " + path, kMessageWidth);
    std::size_t longest = 0;
    for (std::size_t start = 0, end; start <= message.size(); start = end + 1) {
        end = std::min(message.find('\n', start), message.size());
        longest = std::max(longest, end - start);
    }
    EXPECT_LE(longest, kMessageWidth);
    std::string joined = message;
    joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
    EXPECT_EQ(joined, "The notation could not be written to " + path) << "nothing is lost";
}
