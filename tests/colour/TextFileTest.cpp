#include "colour/TextFile.h"

#include <gtest/gtest.h>

#include "tests/support/TempDirectory.h"

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
