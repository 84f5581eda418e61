#include "platform/posix/WholeFile.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/posix/FileDescriptor.h"

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them

// New files beside a target have names of one length whatever the target's, so
// that any name the system allows can be written.
constexpr char kNewFilePrefix[] = ".lucenta-";
constexpr int kNewFileRandomLetters = 6;

constexpr char kNotARegularFile[] = "it is not a regular file";

std::string Reason(int error) {
    return std::strerror(error);
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Writes the text and syncs; errno tells why when it fails.
bool WriteAndSync(int fd, std::string_view text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return fsync(fd) == 0;
}

// Gives the new file the owner and group it is to have; errno tells why not.
bool KeepOwner(int fd, const struct stat* ownerLike) {
    struct stat mine {};
    if (ownerLike == nullptr) {
        return true;
    }
    if (fstat(fd, &mine) != 0) {
        return false;
    }
    return (mine.st_uid == ownerLike->st_uid && mine.st_gid == ownerLike->st_gid) ||
           fchown(fd, ownerLike->st_uid, ownerLike->st_gid) == 0;
}

// A new file of a fresh name in the directory, created with `mode` (narrowed by
// the umask); -1 with errno when the directory takes none.
int CreateNewFileIn(const std::string& directory, mode_t mode, std::string& path) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = directory + "/" + kNewFilePrefix;
        for (int k = 0; k < kNewFileRandomLetters; ++k) {
            path += kLetters[letter(random)];
        }
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// What a new file that takes the target's place is made as.
struct NewFile {
    mode_t createMode;           // the umask narrows it
    std::optional<mode_t> mode;  // set exactly afterwards, when given
    const struct stat* owner;    // whose file it is to be; nullptr: the writer's
    std::string keepOldAs;       // the target's second name, given before it is replaced
};

// Gives the file a second name; where the file system has no hard links, moves it there.
bool KeepUnder(const std::string& target, const std::string& name) {
    if (link(target.c_str(), name.c_str()) == 0) {
        return true;
    }
    return (errno == EPERM || errno == EOPNOTSUPP) && rename(target.c_str(), name.c_str()) == 0;
}

enum class Replaced { Yes, NoStandIn, Failed };

// Writes the text to a new file beside the target, which then takes its place.
// NoStandIn when no new file can stand in for the target: its folder refuses a new
// file, or the owner and group cannot be kept. The reason is set unless Yes.
Replaced ReplaceThroughNewFile(const std::string& target, std::string_view text, const NewFile& as,
                               std::string& reason) {
    std::string temporary;
    const int fd = CreateNewFileIn(DirectoryOf(target), as.createMode, temporary);
    if (fd < 0) {
        const bool refused = errno == EACCES || errno == EPERM || errno == EROFS;
        reason = Reason(errno);
        return refused ? Replaced::NoStandIn : Replaced::Failed;
    }
    // Each step runs only when those before it succeeded; the first error is the reason.
    Replaced outcome = Replaced::Yes;
    if (as.mode && fchmod(fd, *as.mode) != 0) {
        reason = Reason(errno);
        outcome = Replaced::Failed;
    } else if (!KeepOwner(fd, as.owner)) {
        reason = "its owner and group cannot be kept: " + Reason(errno);
        outcome = Replaced::NoStandIn;
    } else if (!WriteAndSync(fd, text)) {
        reason = Reason(errno);
        outcome = Replaced::Failed;
    }
    if (close(fd) != 0 && outcome == Replaced::Yes) {
        reason = Reason(errno);
        outcome = Replaced::Failed;
    }
    if (outcome == Replaced::Yes && !as.keepOldAs.empty() && !KeepUnder(target, as.keepOldAs)) {
        reason = Reason(errno);
        outcome = Replaced::Failed;
    }
    if (outcome == Replaced::Yes && rename(temporary.c_str(), target.c_str()) != 0) {
        reason = Reason(errno);
        outcome = Replaced::Failed;
    }
    if (outcome != Replaced::Yes) {
        unlink(temporary.c_str());
        return outcome;
    }
    FileDescriptor directory(open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        fsync(directory.get());
    }
    return Replaced::Yes;
}

// Writes the text over the regular file, keeping the file itself. Room for the
// text is reserved first, so that a full disk or a size limit refuses before any
// of the old text is given up; then the text is written, synced, and the file cut
// to its length.
bool WriteInPlace(const std::string& target, std::string_view text, std::string& reason) {
    // Not blocking: a FIFO without a reader is refused at once rather than waited on.
    FileDescriptor fd(open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info {};
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0) {
        reason = Reason(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = kNotARegularFile;
        return false;
    }
    const off_t length = static_cast<off_t>(text.size());
    if (const int refused = length > 0 ? posix_fallocate(fd.get(), 0, length) : 0; refused != 0) {
        reason = Reason(refused);
        return false;
    }
    if (!WriteAndSync(fd.get(), text) || ftruncate(fd.get(), length) != 0 || fsync(fd.get()) != 0) {
        reason = Reason(errno);
        return false;
    }
    return true;
}

std::optional<std::string> ResolvedTarget(const std::string& path, std::string& reason) {
    std::optional<std::string> target = FollowLinks(path);
    if (!target) {
        reason = Reason(ELOOP);
    }
    return target;
}

}  // namespace

ReadStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& text,
                         std::string& reason) {
    FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        const int error = errno;
        reason = Reason(error);
        return error == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    struct stat info {};
    if (fstat(fd.get(), &info) != 0) {
        reason = Reason(errno);
        return ReadStatus::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = kNotARegularFile;
        return ReadStatus::Failed;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            reason = Reason(errno);
            return ReadStatus::Failed;
        }
        if (n == 0) {
            return ReadStatus::Ok;
        }
        if (text.size() + static_cast<std::size_t>(n) > maxBytes) {
            reason = "it is larger than " + std::to_string(maxBytes) + " bytes";
            return ReadStatus::TooLarge;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<std::string> FollowLinks(const std::string& path) {
    std::string current = path;
    for (int k = 0; k < kMaxLinks; ++k) {
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0) {
            return current;  // not a link (or nothing there yet): this is the file
        }
        const std::string next(target, static_cast<std::size_t>(length));
        current = next.front() == '/' ? next : DirectoryOf(current) + "/" + next;
    }
    errno = ELOOP;
    return std::nullopt;
}

bool ReplaceWholeFile(const std::string& path, std::string_view text, const ReplaceOptions& options,
                      std::string& reason) {
    const std::optional<std::string> target = ResolvedTarget(path, reason);
    if (!target) {
        return false;
    }
    struct stat existing {};
    const bool exists = stat(target->c_str(), &existing) == 0;
    if (exists && access(target->c_str(), W_OK) != 0) {
        reason = Reason(errno);
        return false;
    }
    if (exists && existing.st_nlink > 1) {
        reason = "it has more than one name (a hard link), and a new file would take only one of them";
        return false;
    }
    const NewFile as{0600, exists ? (existing.st_mode & 07777) : options.newMode,
                     options.ownerLike != nullptr ? options.ownerLike
                     : exists                     ? &existing
                                                  : nullptr,
                     options.keepOldAs};
    return ReplaceThroughNewFile(*target, text, as, reason) == Replaced::Yes;
}

bool SaveWholeFile(const std::string& path, std::string_view text, std::string& reason) {
    const std::optional<std::string> target = ResolvedTarget(path, reason);
    if (!target) {
        return false;
    }
    struct stat existing {};
    if (stat(target->c_str(), &existing) != 0) {
        return ReplaceThroughNewFile(*target, text, {0666, std::nullopt, nullptr, {}}, reason) ==
               Replaced::Yes;
    }
    if (!S_ISREG(existing.st_mode)) {  // a folder, a FIFO, a device: nothing of ours to write
        reason = S_ISDIR(existing.st_mode) ? Reason(EISDIR) : kNotARegularFile;
        return false;
    }
    if (access(target->c_str(), W_OK) != 0) {
        reason = Reason(errno);
        return false;
    }
    if (existing.st_nlink == 1) {
        const Replaced replaced =
            ReplaceThroughNewFile(*target, text, {0600, existing.st_mode & 07777, &existing, {}}, reason);
        if (replaced != Replaced::NoStandIn) {
            return replaced == Replaced::Yes;
        }
    }
    return WriteInPlace(*target, text, reason);
}
