#include "platform/posix/WholeFile.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/FileDescriptor.h"

namespace {

constexpr int kMaxLinks = 40;  // as the kernel follows them

std::string Reason(int error) {
    return std::strerror(error);
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Writes the text, syncs and closes; errno tells why when it fails.
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
        reason = "it is not a regular file";
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

std::string FollowLinks(const std::string& path) {
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
    return current;  // a loop of links: the rename below will fail on it with a reason
}

bool ReplaceWholeFile(const std::string& path, std::string_view text, const ReplaceOptions& options,
                      std::string& reason) {
    const std::string target = FollowLinks(path);
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && access(target.c_str(), W_OK) != 0) {
        reason = Reason(errno);
        return false;
    }
    const std::size_t slash = target.rfind('/');
    std::string temp =
        DirectoryOf(target) + "/." + target.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = Reason(errno);
        return false;
    }
    const mode_t mode = exists ? (existing.st_mode & 07777) : options.newMode;
    const struct stat* owner = options.ownerLike != nullptr ? options.ownerLike
                               : exists                     ? &existing
                                                            : nullptr;
    // Each step runs only when those before it succeeded; the first error is the reason.
    std::string failure;
    if (fchmod(fd, mode) != 0) {
        failure = Reason(errno);
    } else if (!KeepOwner(fd, owner)) {
        failure = "its owner and group cannot be kept: " + Reason(errno);
    } else if (!WriteAndSync(fd, text)) {
        failure = Reason(errno);
    }
    if (close(fd) != 0 && failure.empty()) {
        failure = Reason(errno);
    }
    if (failure.empty() && rename(temp.c_str(), target.c_str()) != 0) {
        failure = Reason(errno);
    }
    if (!failure.empty()) {
        unlink(temp.c_str());
        reason = failure;
        return false;
    }
    FileDescriptor directory(open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.get() >= 0) {
        fsync(directory.get());
    }
    return true;
}
