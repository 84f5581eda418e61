#include "colour/TextFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TempDirectory.h"
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

TEST(TextFile, CreateTruncatesAndLinesEndWithCrLf) {
    TempDirectory dir;
    TextFileHandle file = OpenTextFile("out.txt", 1);
    ASSERT_NE(file, 0);
    WriteTextLine(file, "a long first line", 1);
    CloseTextFile(file);

    file = OpenTextFile("out.txt", 1);
    ASSERT_NE(file, 0);
    WriteTextLine(file, "one", 1);
    WriteTextLine(file, "", 1);
    WriteTextLine(file, "two", 0);
    CloseTextFile(file);
    EXPECT_EQ(dir.Read("out.txt"), "one\r\n\r\ntwo");
}

TEST(TextFile, OpenWithoutCreateWritesOverAnExistingFileFromItsStart) {
    TempDirectory dir;
    EXPECT_EQ(OpenTextFile("missing.txt", 0), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing.txt"));
    TextFileHandle file = OpenTextFile("keep.txt", 1);
    WriteTextLine(file, "abcdef", 0);
    CloseTextFile(file);
    file = OpenTextFile("keep.txt", 0);
    ASSERT_NE(file, 0);
    WriteTextLine(file, "XY", 0);
    CloseTextFile(file);
    EXPECT_EQ(dir.Read("keep.txt"), "XYcdef");
}

TEST(TextFile, NoSharingWhileAWriterHoldsTheFile) {
    TempDirectory dir;
    const TextFileHandle first = OpenTextFile("held.txt", 1);
    ASSERT_NE(first, 0);
    WriteTextLine(first, "first", 0);
    const TextFileHandle second = OpenTextFile("held.txt", 1);
    EXPECT_EQ(second, 0);
    WriteTextLine(second, "second", 0);  // a write to handle 0 does nothing
    CloseTextFile(second);
    CloseTextFile(first);
    EXPECT_EQ(dir.Read("held.txt"), "first") << "the failed open truncated nothing";
}

TEST(TextFile, FailureGivesHandleZeroAndWritesNothing) {
    TempDirectory dir;
    std::filesystem::create_directory(dir.Path() / "Colours.log");
    const TextFileHandle file = OpenTextFile("Colours.log", 1);
    EXPECT_EQ(file, 0);
    WriteTextLine(file, "ignored", 1);
    CloseTextFile(file);
    EXPECT_EQ(OpenTextFile(dir.Path() / "no-such-dir" / "x.txt", 1), 0);
}

TEST(TextFile, NamesOutsideAsciiAndLongPathsAreTheFilesAsked) {
    TempDirectory dir;
    const std::filesystem::path folder = dir.Path() / std::filesystem::u8path(u8"Gl\u00f6ckner \u9418");
    std::filesystem::create_directory(folder);
    const std::filesystem::path name = folder / (std::string(150, 'n') + ".txt");
    const TextFileHandle file = OpenTextFile(name, 1);
    ASSERT_NE(file, 0);
    WriteTextLine(file, "-1", 0);
    CloseTextFile(file);
    EXPECT_EQ(std::filesystem::file_size(name), 2u);
}

#ifndef _WIN32
TEST(TextFile, ALinkOrAFifoInTheLogsPlaceIsNotWrittenThrough) {
    TempDirectory dir;
    std::ofstream(dir.Path() / "precious.txt") << "keep me";
    std::filesystem::create_symlink("precious.txt", dir.Path() / "Colours.log");
    EXPECT_EQ(OpenTextFile("Colours.log", 1), 0);
    EXPECT_EQ(dir.Read("precious.txt"), "keep me") << "the link's target is not truncated";

    ASSERT_EQ(mkfifo((dir.Path() / "fifo.log").c_str(), 0600), 0);
    EXPECT_EQ(OpenTextFile("fifo.log", 1), 0) << "no reader: refused at once, not waited on";
}
#endif

TEST(TextFile, AReplacementIsWholeOrNothing) {
    TempDirectory dir;
    std::string reason;
    std::ofstream(dir.Path() / "lead.txt") << "old text";
    EXPECT_TRUE(SaveTextFile("lead.txt", "-1", reason)) << reason;
    EXPECT_EQ(dir.Read("lead.txt"), "-1");
    std::filesystem::create_directories(dir.Path() / "folder.txt" / "inside");
    EXPECT_FALSE(SaveTextFile("folder.txt", "-1", reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.txt" / "inside"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "lead.txt" || name == "folder.txt") << "left behind: " << name;
    }
}

TEST(TextFile, ASaveTakesAnyNameTheSystemAllows) {
    TempDirectory dir;
    const std::string name = std::string(236, 'n') + ".txt";
    std::string reason;
    EXPECT_TRUE(SaveTextFile(name, "-1", reason)) << reason;
    EXPECT_TRUE(SaveTextFile(name, "-12", reason)) << "replaced: " << reason;
    EXPECT_EQ(dir.Read(name), "-12");
}

#ifdef _WIN32
TEST(TextFile, AReplacedFileKeepsItsAttributes) {
    TempDirectory dir;
    std::ofstream(dir.Path() / "hidden.txt") << "old text";
    ASSERT_TRUE(SetFileAttributesW(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    std::string reason;
    EXPECT_TRUE(SaveTextFile("hidden.txt", "-1", reason)) << reason;
    EXPECT_EQ(dir.Read("hidden.txt"), "-1");
    EXPECT_NE(GetFileAttributesW(L"hidden.txt") & FILE_ATTRIBUTE_HIDDEN, 0u);
}
#endif
