#include "colour/TextFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/WholeFile.h"

// Handles are the descriptor plus one, so that 0 stays free to mean "not open".

TextFileHandle OpenTextFile(const std::filesystem::path& name, int create) {
    // Not blocking: a FIFO without a reader is refused at once rather than waited on.
    const int flags = O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (create != 0 ? O_CREAT : 0);
    const int fd = open(name.c_str(), flags, 0666);
    if (fd < 0) {
        return 0;
    }
    // No sharing: a file another writer holds is not opened, and it is only
    // truncated once the lock is ours.
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        (create != 0 && ftruncate(fd, 0) != 0)) {
        close(fd);
        return 0;
    }
    return static_cast<TextFileHandle>(fd) + 1;
}

void WriteTextLine(TextFileHandle file, std::string_view text, int newline) {
    if (file == 0) {
        return;
    }
    std::string line(text);
    if (newline != 0) {
        line += "\r\n";
    }
    const int fd = static_cast<int>(file - 1);
    for (std::size_t done = 0; done < line.size();) {
        const ssize_t n = write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

void CloseTextFile(TextFileHandle file) {
    if (file != 0) {
        close(static_cast<int>(file - 1));
    }
}

bool SaveTextFile(const std::filesystem::path& name, std::string_view text, std::string& reason) {
    return SaveWholeFile(name.string(), text, reason);
}
