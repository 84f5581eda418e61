#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/posix/RegFileFormat.h"
#include "settings/Registry.h"
#include "tests/support/MemoryRegistryKey.h"
#include "tests/support/RegistrySandbox.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kAccess = RegAccess::QueryValue | RegAccess::SetValue;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

// Writes `count` values named prefix0, prefix1, ... through a store of its own.
void WriteValues(const std::u16string& key, const std::string& prefix, int count) {
    CRegistry store;
    store.OpenKey(key, RegRoot::CurrentUser, kAccess);
    for (int k = 0; k < count; ++k) {
        const std::string name = prefix + std::to_string(k);
        store.GetEntry(std::u16string(name.begin(), name.end())).SetString(u"x");
    }
}

// The contents of the settings files kept aside as unreadable.
std::vector<std::string> FilesKeptAside(const RegistrySandbox& sandbox) {
    std::vector<std::string> kept;
    for (const auto& entry : fs::directory_iterator(fs::path(sandbox.RegistryFilePath()).parent_path())) {
        if (entry.path().filename().string().rfind("registry.reg.unreadable-", 0) == 0) {
            kept.push_back(ReadFile(entry.path()));
        }
    }
    return kept;
}

}  // namespace

TEST(FileRegistryKey, KeepsTheSettingsInTheUsersConfigDirectory) {
    RegistrySandbox sandbox;
    {
        CRegistry store;
        ASSERT_TRUE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess));
        store.GetEntry(u"Method").SetString(u"3");
    }
    EXPECT_EQ(ReadFile(sandbox.RegistryFilePath()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n"
              "\"Method\"=\"3\"\n");
}

TEST(FileRegistryKey, ValuesOfOtherTypesSurviveEveryRewrite) {
    RegistrySandbox sandbox;
    const std::string original =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n\"Keep\"=\"me\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\r\n"
        "\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\r\n"
        "\"Big\"=qword-like\r\n";
    WriteFile(sandbox.RegistryFilePath(), original.substr(0, original.find("\"Big\"")));
    {
        CRegistry store;
        ASSERT_TRUE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess));
        EXPECT_FALSE(store.GetEntry(u"Path").HasValue()) << "REG_EXPAND_SZ is not loaded";
        store.GetEntry(u"Method").SetString(u"1");
        store.GetEntry(u"Method").SetString(u"2");
    }
    const std::string text = ReadFile(sandbox.RegistryFilePath());
    EXPECT_NE(text.find("\"Path\"=hex(2):25,00,48,00,4f,00,4d,00,45,00,25,00,00,00\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Other]\n\"Keep\"=\"me\"\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"Method\"=\"2\"\n"), std::string::npos) << text;
}

namespace {

// Opens the settings over `garbage`: it is kept aside whole and the settings start over.
void KeepsAsideAndStartsOver(const RegistrySandbox& sandbox, const std::string& garbage) {
    WriteFile(sandbox.RegistryFilePath(), garbage);
    testing::internal::CaptureStderr();
    {
        CRegistry store;
        ASSERT_TRUE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess));
        EXPECT_FALSE(store.GetEntry(u"Method").HasValue());
        store.GetEntry(u"Method").SetString(u"4");
    }
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("could not be read"), std::string::npos) << warning;
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 1);

    EXPECT_EQ(FilesKeptAside(sandbox), std::vector<std::string>{garbage});
    EXPECT_TRUE(ParseRegFile(ReadFile(sandbox.RegistryFilePath())).has_value());
}

}  // namespace

TEST(FileRegistryKey, UnreadableFileIsKeptAsideNeverOverwritten) {
    // Text that is no registry file, and a file too large to be a settings file.
    for (const std::string& garbage :
         {std::string("this is not\na registry file \xFF\n"),
          "Windows Registry Editor Version 5.00\n" + std::string(16 << 20, ';')}) {
        RegistrySandbox sandbox;
        KeepsAsideAndStartsOver(sandbox, garbage);
    }
}

TEST(FileRegistryKey, ALineThatCannotBeReadLosesOnlyItself) {
    RegistrySandbox sandbox;
    const std::string original =
        "Windows Registry Editor Version 5.00\n\n"
        "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n"
        "\"Method\"=\"6\"\n"
        "\"Note\"=\"C:\\Temp\"\n"
        "\"Show Treble\"=\"0\"\n";
    WriteFile(sandbox.RegistryFilePath(), original);
    testing::internal::CaptureStderr();
    {
        CRegistry store;
        ASSERT_TRUE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess));
        EXPECT_EQ(store.GetEntry(u"Method").GetInteger(), 6);
        EXPECT_EQ(store.GetEntry(u"Show Treble").GetInteger(), 0);
    }
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find(sandbox.RegistryFilePath() + ":5:"), std::string::npos) << warning;

    // Written back at once, before any value changes.
    const auto rewritten = ParseRegFile(ReadFile(sandbox.RegistryFilePath()));
    ASSERT_TRUE(rewritten.has_value());
    const RegFileKey* config =
        const_cast<RegFile&>(*rewritten).FindKey(u"HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->values.size(), 2u);
    EXPECT_EQ(FilesKeptAside(sandbox), std::vector<std::string>{original});
}

TEST(FileRegistryKey, DirectoryThatCannotBeMadeLeavesTheStoreInMemory) {
    RegistrySandbox sandbox;
    WriteFile(sandbox.ConfigHome() + "/blocker", "a file where a directory should be");
    setenv("XDG_CONFIG_HOME", (sandbox.ConfigHome() + "/blocker").c_str(), 1);
    testing::internal::CaptureStderr();
    CRegistry store;
    EXPECT_FALSE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess));
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("kept in memory only"), std::string::npos) << warning;
    store.GetEntry(u"Method").SetString(u"2");
    EXPECT_EQ(store.GetEntry(u"Method").GetInteger(), 2);

    testing::internal::CaptureStderr();
    CRegistry again;  // as each picture of a run opens the keys anew
    again.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "the reason is said once";
}

TEST(FileRegistryKey, ConcurrentWritersLoseNothing) {
    RegistrySandbox sandbox;
    const std::u16string key = sandbox.ScratchKey(u"Concurrent");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WriteValues(key, "child", 500);
        _exit(0);
    }
    WriteValues(key, "parent", 500);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    CRegistry store;
    ASSERT_TRUE(store.OpenKey(key, RegRoot::CurrentUser, kAccess));
    for (int k = 0; k < 500; ++k) {
        const std::string child_name = "child" + std::to_string(k);
        const std::string parent_name = "parent" + std::to_string(k);
        EXPECT_TRUE(store.GetEntry(std::u16string(child_name.begin(), child_name.end())).HasValue())
            << child_name;
        EXPECT_TRUE(store.GetEntry(std::u16string(parent_name.begin(), parent_name.end())).HasValue())
            << parent_name;
    }
}

TEST(FileRegistryKey, WriterKilledMidwayLeavesAFileThatParses) {
    RegistrySandbox sandbox;
    const std::u16string key = sandbox.ScratchKey(u"Killed");
    for (int attempt = 0; attempt < 3; ++attempt) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteValues(key, "value" + std::to_string(attempt) + "_", 1000000);
            _exit(0);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 70 * attempt));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        const auto parsed = ParseRegFile(ReadFile(sandbox.RegistryFilePath()));
        ASSERT_TRUE(parsed.has_value()) << "attempt " << attempt;
        const RegFileKey* written = const_cast<RegFile&>(*parsed).FindKey(u"HKEY_CURRENT_USER\\" + key);
        ASSERT_NE(written, nullptr);
        EXPECT_FALSE(written->values.empty());
    }
}

TEST(FileRegistryKey, ALinkedSettingsFileIsWrittenThroughItsLink) {
    RegistrySandbox sandbox;
    const fs::path dotfiles = fs::path(sandbox.ConfigHome()) / "dotfiles";
    WriteFile((dotfiles / "lucenta.reg").string(), "Windows Registry Editor Version 5.00\n");
    fs::create_directories(fs::path(sandbox.RegistryFilePath()).parent_path());
    fs::create_symlink(dotfiles / "lucenta.reg", sandbox.RegistryFilePath());
    {
        CRegistry store;
        ASSERT_TRUE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess));
        store.GetEntry(u"Method").SetString(u"3");
        EXPECT_EQ(store.WriteFailure(), "");
    }
    EXPECT_TRUE(fs::is_symlink(sandbox.RegistryFilePath()));
    EXPECT_NE(ReadFile((dotfiles / "lucenta.reg").string()).find("\"Method\"=\"3\""), std::string::npos);
}

TEST(FileRegistryKey, WhatIsNotARegularFileIsNeitherReadNorReplaced) {
    for (const std::string kind : {"a link to /dev/zero", "a FIFO"}) {
        RegistrySandbox sandbox;
        fs::create_directories(fs::path(sandbox.RegistryFilePath()).parent_path());
        if (kind == "a FIFO") {
            ASSERT_EQ(mkfifo(sandbox.RegistryFilePath().c_str(), 0600), 0);
        } else {
            fs::create_symlink("/dev/zero", sandbox.RegistryFilePath());
        }
        const auto began = std::chrono::steady_clock::now();
        CRegistry store;
        EXPECT_FALSE(store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess))
            << kind;
        store.GetEntry(u"Method").SetString(u"3");
        EXPECT_NE(store.WriteFailure().find("not a regular file"), std::string::npos)
            << kind << ": " << store.WriteFailure();
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5))
            << kind << ": no waiting on it";
        EXPECT_TRUE(FilesKeptAside(sandbox).empty()) << kind;
    }
}

TEST(FileRegistryKey, AFileThatCannotBeReplacedIsReadAndKeptAsItWas) {
    const std::string valid =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n"
        "\"Method\"=\"6\"\n";
    const struct {
        const char* what;
        std::string text;
        bool noBytesAllowed;  // a file size limit of 0: a full disk refuses the same way
        const char* reason;
    } cases[] = {
        {"a file with a second name (a hard link)", valid, false, "more than one name"},
        {"a damaged file on a full disk", valid + "\"Sp\xE9" + "ed\"=\"60\"\n", true, "File too large"},
    };
    for (const auto& c : cases) {
        RegistrySandbox sandbox;
        WriteFile(sandbox.RegistryFilePath(), c.text);
        const std::string otherName = sandbox.ConfigHome() + "/other.reg";
        fs::create_hard_link(sandbox.RegistryFilePath(), otherName);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit none{0, limit.rlim_max};
        const auto previous = signal(SIGXFSZ, SIG_IGN);
        if (c.noBytesAllowed) {
            fs::remove(otherName);
            setrlimit(RLIMIT_FSIZE, &none);
        }
        testing::internal::CaptureStderr();
        CRegistry store;
        store.OpenKey(u"Software\\Tovarin\\LucentaScr\\Config", RegRoot::CurrentUser, kAccess);
        store.GetEntry(u"Show Treble").SetString(u"0");
        const std::string warning = testing::internal::GetCapturedStderr();
        setrlimit(RLIMIT_FSIZE, &limit);
        signal(SIGXFSZ, previous);
        EXPECT_EQ(store.GetEntry(u"Method").GetInteger(), 6) << c.what << ": the values that could be read";
        EXPECT_NE(store.WriteFailure().find(c.reason), std::string::npos)
            << c.what << ": " << store.WriteFailure();
        EXPECT_EQ(ReadFile(sandbox.RegistryFilePath()), c.text) << c.what;
        EXPECT_TRUE(FilesKeptAside(sandbox).empty()) << c.what << ": " << warning;
        EXPECT_EQ(warning.find("kept as"), std::string::npos) << c.what << ": " << warning;
    }
}
