#include "platform/posix/WholeFile.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "tests/support/TempDirectory.h"

namespace fs = std::filesystem;

namespace {

constexpr char kText[] = "-3-14-125-36";

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void Write(const fs::path& path, const std::string& text, mode_t mode) {
    std::ofstream(path, std::ios::binary) << text;
    chmod(path.c_str(), mode);
}

struct stat Stat(const fs::path& path) {
    struct stat info {};
    lstat(path.c_str(), &info);
    return info;
}

// Files of ours that a save left behind in the folder.
std::vector<std::string> LeftBehind(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(".lucenta-", 0) == 0) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// One save of a file that the user chose. `setUp` prepares the folder as root where
// the case needs another owner; the save runs as the unprivileged user (when the
// tests run as root), so that file modes count.
struct Case {
    const char* what;
    std::string name;  // the path given, in the case's folder
    std::function<void(const fs::path& folder)> setUp;
    bool saved;
    std::string reasonPart;                                          // of a refusal's reason
    std::function<std::string(const fs::path& folder)> whatIsWrong;  // empty when the outcome is right
    bool noBytesAllowed = false;  // saved under a file size limit of 0 (a full disk refuses the same way)
};

struct Outcome {
    bool saved = false;
    std::string reason;
};

uid_t UnprivilegedUser() {
    const passwd* nobody = getpwnam("nobody");
    return nobody != nullptr ? nobody->pw_uid : 65534;
}

struct Save {
    std::string path;
    bool noBytesAllowed;
};

// Saves under RLIMIT_FSIZE 0, with SIGXFSZ ignored so that the refusal comes as an error.
bool SaveWithNoBytesAllowed(const std::string& path, std::string& reason) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit none{0, limit.rlim_max};
    setrlimit(RLIMIT_FSIZE, &none);
    const bool saved = SaveWholeFile(path, kText, reason);
    setrlimit(RLIMIT_FSIZE, &limit);
    return saved;
}

// Runs the saves in a child process as the unprivileged user; each outcome comes
// back through a pipe as a line "0|1 reason".
std::vector<Outcome> SaveAsUnprivilegedUser(const std::vector<Save>& saves) {
    int channel[2];
    if (pipe(channel) != 0) {
        return {};
    }
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        umask(022);
        if (geteuid() == 0 && (setgid(UnprivilegedUser()) != 0 || setuid(UnprivilegedUser()) != 0)) {
            _exit(2);
        }
        std::signal(SIGXFSZ, SIG_IGN);
        std::string report;
        for (const Save& save : saves) {
            std::string reason;
            const bool saved = save.noBytesAllowed ? SaveWithNoBytesAllowed(save.path, reason)
                                                   : SaveWholeFile(save.path, kText, reason);
            report += (saved ? "1 " : "0 ") + reason + "\n";
        }
        [[maybe_unused]] const ssize_t written = write(channel[1], report.data(), report.size());
        _exit(0);
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    close(channel[0]);
    waitpid(child, nullptr, 0);
    std::vector<Outcome> outcomes;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        outcomes.push_back({line[0] == '1', line.substr(2)});
    }
    return outcomes;
}

std::string Expect(bool ok, const std::string& what) {
    return ok ? "" : what;
}

// Makes a file or folder the unprivileged user's, who saves.
using Owner = std::function<void(const fs::path&)>;

// Saves that write the file, wherever it lies.
std::vector<Case> WrittenCases(const Owner& mine) {
    const std::string longName = std::string(251, 'n') + ".txt";
    return {
        {"a new file gets the mode of the umask", "new.txt", [mine](const fs::path& f) { mine(f); }, true, "",
         [](const fs::path& f) {
             return Expect(Read(f / "new.txt") == kText && (Stat(f / "new.txt").st_mode & 07777) == 0644,
                           "not written with mode 0644");
         }},
        {"an existing file is replaced and keeps its mode", "old.txt",
         [mine](const fs::path& f) {
             mine(f);
             Write(f / "old.txt", "old text", 0640);
             mine(f / "old.txt");
         },
         true, "",
         [](const fs::path& f) {
             return Expect(Read(f / "old.txt") == kText && (Stat(f / "old.txt").st_mode & 07777) == 0640,
                           "not written with mode 0640");
         }},
        {"a writable file in a read-only folder is written in place", "file.txt",
         [mine](const fs::path& f) {
             Write(f / "file.txt", "old text", 0644);
             mine(f / "file.txt");
             chmod(f.c_str(), 0555);
         },
         true, "", [](const fs::path& f) { return Expect(Read(f / "file.txt") == kText, "not written"); }},
        {"a name of 255 bytes, the longest there is", longName, [mine](const fs::path& f) { mine(f); }, true,
         "", [longName](const fs::path& f) { return Expect(Read(f / longName) == kText, "not written"); }},
        {"a file with a second name (hard link) is written under both", "linked.txt",
         [mine](const fs::path& f) {
             mine(f);
             Write(f / "linked.txt", "old text", 0644);
             mine(f / "linked.txt");
             fs::create_hard_link(f / "linked.txt", f / "other name.txt");
         },
         true, "",
         [](const fs::path& f) {
             return Expect(Read(f / "other name.txt") == kText && Stat(f / "linked.txt").st_nlink == 2,
                           "the other name lost the text or the link");
         }},
        {"a symbolic link: its target is written and it stays a link", "link.txt",
         [mine](const fs::path& f) {
             mine(f);
             Write(f / "target.txt", "old text", 0644);
             mine(f / "target.txt");
             fs::create_symlink("target.txt", f / "link.txt");
         },
         true, "",
         [](const fs::path& f) {
             return Expect(Read(f / "target.txt") == kText && fs::is_symlink(f / "link.txt"),
                           "the link is no longer a link");
         }}};
}

// Saves that are refused or fail: the file keeps what it held.
std::vector<Case> RefusedCases(const Owner& mine) {
    return {
        {"a loop of symbolic links is refused and left as it is", "a.txt",
         [mine](const fs::path& f) {
             mine(f);
             fs::create_symlink("b.txt", f / "a.txt");
             fs::create_symlink("a.txt", f / "b.txt");
         },
         false, "symbolic links",
         [](const fs::path& f) {
             return Expect(fs::is_symlink(f / "a.txt") && fs::is_symlink(f / "b.txt"), "a link was replaced");
         }},
        {"a read-only file is refused and keeps its text", "read-only.txt",
         [mine](const fs::path& f) {
             mine(f);
             Write(f / "read-only.txt", "old text", 0444);
             mine(f / "read-only.txt");
         },
         false, "Permission denied",
         [](const fs::path& f) { return Expect(Read(f / "read-only.txt") == "old text", "overwritten"); }},
        {"a hard-linked file that cannot have its new text keeps its old text under both names", "linked.txt",
         [mine](const fs::path& f) {
             mine(f);
             Write(f / "linked.txt", "old", 0644);
             mine(f / "linked.txt");
             fs::create_hard_link(f / "linked.txt", f / "other name.txt");
         },
         false, "File too large",
         [](const fs::path& f) {
             return Expect(Read(f / "linked.txt") == "old" && Read(f / "other name.txt") == "old",
                           "overwritten");
         },
         true},
        {"a file in a read-only folder that cannot have its new text keeps its old text", "file.txt",
         [mine](const fs::path& f) {
             Write(f / "file.txt", std::string(100, 'o'), 0644);
             mine(f / "file.txt");
             chmod(f.c_str(), 0555);
         },
         false, "File too large",
         [](const fs::path& f) {
             return Expect(Read(f / "file.txt") == std::string(100, 'o'), "overwritten");
         },
         true}};
}

// Saves into what is no regular file: refused, and left as it is.
std::vector<Case> StrangeCases(const Owner& mine) {
    return {
        {"a device is refused and left as it is", "device",
         [mine](const fs::path& f) {
             mine(f);
             fs::create_symlink("/dev/null", f / "device");
         },
         false, "not a regular file",
         [](const fs::path&) { return Expect(fs::is_character_file("/dev/null"), "/dev/null changed"); }},
        {"a FIFO is refused at once and left as it is", "fifo",
         [mine](const fs::path& f) {
             mine(f);
             mkfifo((f / "fifo").c_str(), 0666);
         },
         false, "not a regular file",
         [](const fs::path& f) { return Expect(fs::is_fifo(f / "fifo"), "no longer a FIFO"); }},
        {"a folder is refused and left as it is", "folder.txt",
         [mine](const fs::path& f) {
             mine(f);
             fs::create_directories(f / "folder.txt" / "inside");
             mine(f / "folder.txt");
         },
         false, "directory",
         [](const fs::path& f) { return Expect(fs::is_directory(f / "folder.txt" / "inside"), "changed"); }}};
}

}  // namespace

TEST(WholeFile, SaveWritesWhatTheUserMayWriteAndKeepsTheFileAsItWas) {
    TempDirectory root;
    chmod(root.Path().c_str(), 0755);
    const uid_t user = geteuid() == 0 ? UnprivilegedUser() : geteuid();
    const Owner mine = [user](const fs::path& path) {
        [[maybe_unused]] const int changed = lchown(path.c_str(), user, user == geteuid() ? getegid() : user);
    };
    std::vector<Case> cases = WrittenCases(mine);
    for (auto more : {RefusedCases, StrangeCases}) {
        const std::vector<Case> added = more(mine);
        cases.insert(cases.end(), added.begin(), added.end());
    }
    if (geteuid() == 0) {  // only root can give a file another owner
        cases.push_back(
            {"another user's world-writable file in a sticky folder is written in place and stays theirs",
             "theirs.txt",
             [&](const fs::path& f) {
                 chmod(f.c_str(), 01777);
                 Write(f / "theirs.txt", "old text", 0666);
                 [[maybe_unused]] const int changed = chown((f / "theirs.txt").c_str(), 0, 0);
             },
             true, "",
             [](const fs::path& f) {
                 return Expect(Read(f / "theirs.txt") == kText && Stat(f / "theirs.txt").st_uid == 0,
                               "not written in place");
             }});
    }
    std::vector<Save> saves;
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const fs::path folder = root.Path() / std::to_string(k);
        fs::create_directory(folder);
        cases[k].setUp(folder);
        saves.push_back({(folder / cases[k].name).string(), cases[k].noBytesAllowed});
    }
    const std::vector<Outcome> outcomes = SaveAsUnprivilegedUser(saves);
    ASSERT_EQ(outcomes.size(), cases.size()) << "the saves did not all report";
    for (std::size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        const fs::path folder = root.Path() / std::to_string(k);
        EXPECT_EQ(outcomes[k].saved, c.saved) << c.what << ": " << outcomes[k].reason;
        if (!c.saved) {
            EXPECT_NE(outcomes[k].reason.find(c.reasonPart), std::string::npos)
                << c.what << ": " << outcomes[k].reason;
        }
        EXPECT_EQ(c.whatIsWrong(folder), "") << c.what;
        EXPECT_EQ(LeftBehind(folder), std::vector<std::string>{}) << c.what;
        chmod(folder.c_str(), 0755);  // so that the folder can be removed
    }
}
